#include "split/qth_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "failing_streams.h"
#include "fake_host.h"
#include "temp_dir.h"

namespace {

// A QTH after "ME" in byte order but before it when letter case is ignored.
// On Windows, whose file names are blind to case, "Me" would name ME's file,
// so there "Md" stands in.
#ifdef _WIN32
const char* const kAfterMe = "Md";
#else
const char* const kAfterMe = "Me";
#endif

std::unique_ptr<QthFile> entry(const char* qth) {
  auto e = std::make_unique<QthFile>();
  e->qth = qth;
  return e;
}

// Number of entries, or -1 when an AA level rule or the byte order is broken.
int aa_count(const QthFile* t) {
  if (!t) return 0;
  const QthFile* l = t->left.get();
  const QthFile* r = t->right.get();
  bool ok = (l || r || t->level == 0) && (!l || l->level == t->level - 1) &&
            (!r || r->level == t->level || r->level == t->level - 1) &&
            (!r || !r->right || r->right->level < t->level) && (t->level == 0 || (l && r)) &&
            (!l || l->qth < t->qth) && (!r || t->qth < r->qth);
  int left = aa_count(l), right = aa_count(r);
  return ok && left >= 0 && right >= 0 ? 1 + left + right : -1;
}

TEST(QthRegistry, InsertionBalancesAndFindsByExactBytes) {
  std::unique_ptr<QthFile> root;
  for (const char* qth : {"K", "L", "M"}) root = insert_qth_file(std::move(root), entry(qth));
  ASSERT_TRUE(root && root->left && root->right);
  EXPECT_EQ(root->qth, "L");
  EXPECT_EQ(root->level, 1);
  EXPECT_EQ(root->left->qth, "K");
  EXPECT_EQ(root->right->qth, "M");
  EXPECT_EQ(root->left->level + root->right->level, 0);
  for (const char* qth : {"Me", "ME", "", "\xC4", "FN31 "})
    root = insert_qth_file(std::move(root), entry(qth));
  EXPECT_EQ(aa_count(root.get()), 8);
  for (const char* qth : {"K", "L", "M", "Me", "ME", "", "\xC4", "FN31 "}) {
    QthFile* found = find_qth_file(root.get(), qth);
    ASSERT_NE(found, nullptr) << qth;
    EXPECT_EQ(found->qth, qth);
  }
  for (const char* absent : {"k", "FN31", "MEE", "N"})
    EXPECT_EQ(find_qth_file(root.get(), absent), nullptr);
  EXPECT_EQ(find_qth_file(nullptr, "K"), nullptr);
  for (int i = 0; i < 300; ++i)
    root = insert_qth_file(std::move(root), entry(std::to_string(i * 7919 % 1000).c_str()));
  EXPECT_EQ(aa_count(root.get()), 308);
}

struct Creation : testing::Test {
  void SetUp() override { ASSERT_TRUE(dir.ok()); }
  std::unique_ptr<QthFile> create(const char* qth) {
    return create_qth_file(qth, (dir / "rover.adi").c_str(), host, open_paths);
  }
  TempDir dir;
  FakeHost host;
  OpenPaths open_paths;
};

TEST_F(Creation, AbsentFileIsOpenedWithoutAQuestion) {
  auto e = create("ME");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->qth, "ME");
  EXPECT_EQ(e->path, dir / "rover_ME.adi");
  EXPECT_NE(e->stream, nullptr);
  EXPECT_EQ(e->skip, 0);
  EXPECT_EQ(e->qso_count, 0);
  EXPECT_TRUE(host.asked.empty());
  // Read once closed: on Windows the split's handle to a file it made keeps
  // out readers that do not share its right to delete the file.
  e.reset();
  EXPECT_EQ(read_bytes(dir / "rover_ME.adi"), "");
}

TEST_F(Creation, AnswerToTheOverwriteQuestionDecides) {
  struct Case {
    Answer answer;
    bool entry, open;
    const char* bytes_after;
  } cases[] = {
      {Answer::kYes, true, true, ""},
      {Answer::kNo, true, false, "old"},
      {Answer::kCancel, false, false, "old"},
      {Answer::kOk, false, false, "old"},  // not one of the buttons: counts as Cancel
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    write_bytes(dir / "rover_ME.adi", "old");
    FakeHost fresh;
    fresh.answers = {c.answer};
    OpenPaths paths;
    auto e = create_qth_file("ME", (dir / "rover.adi").c_str(), fresh, paths);
    ASSERT_EQ(fresh.asked.size(), 1u);
    EXPECT_EQ(fresh.asked[0].text, "Are you sure you want to overwrite rover_ME.adi");
    EXPECT_EQ(fresh.asked[0].caption, "Warning");
    EXPECT_EQ(fresh.asked[0].buttons, Buttons::kYesNoCancel);
    EXPECT_EQ(fresh.asked[0].icon, Icon::kQuestion);
    EXPECT_EQ(e != nullptr, c.entry);
    if (e) {
      EXPECT_EQ(e->stream != nullptr, c.open);
      EXPECT_EQ(e->skip, c.open ? 0 : 1);
      e.reset();
    }
    EXPECT_EQ(read_bytes(dir / "rover_ME.adi"), c.bytes_after);
  }
}

TEST_F(Creation, OpenFailureAsksWhetherToSkipOrStop) {
  // A folder cannot be opened for writing.
  ASSERT_TRUE(std::filesystem::create_directory(dir / "rover_ME.adi"));
  const std::string expected = "Could not open output file " + (dir / "rover_ME.adi") + "\n";
  struct Case {
    Answer answer;
    bool skipped;
  } cases[] = {{Answer::kOk, true}, {Answer::kCancel, false}, {Answer::kYes, false}};
  for (const Case& c : cases) {
    FakeHost fresh;
    fresh.answers = {Answer::kYes, c.answer};
    OpenPaths paths;
    auto e = create_qth_file("ME", (dir / "rover.adi").c_str(), fresh, paths);
    ASSERT_EQ(fresh.asked.size(), 2u);
    EXPECT_EQ(fresh.asked[1].text, expected);
    EXPECT_EQ(fresh.asked[1].caption, "Error");
    EXPECT_EQ(fresh.asked[1].buttons, Buttons::kOkCancel);
    EXPECT_EQ(fresh.asked[1].icon, Icon::kError);
    ASSERT_EQ(e != nullptr, c.skipped) << static_cast<int>(c.answer);
    if (e) {
      EXPECT_EQ(e->skip, 1);
      EXPECT_EQ(e->stream, nullptr);
    }
  }
}

TEST_F(Creation, OverLongTextsFitIn127BytesKeepingTheOpenFailuresFileName) {
  const std::string qth(200, 'Q');
  host.extra_existing.insert(dir / ("rover_" + qth + ".adi"));
  host.answers = {Answer::kNo};
  auto skipped = create(qth.c_str());
  ASSERT_NE(skipped, nullptr);
  EXPECT_EQ(skipped->skip, 1);
  // A folder that does not exist: absent, so no question, and the open fails.
  host.answers = {Answer::kOk};
  auto failed =
      create_qth_file(qth.c_str(), (dir / "no-such-folder/rover.adi").c_str(), host, open_paths);
  ASSERT_EQ(host.asked.size(), 2u);
  // Both keep the name's start and its end, which names the QTH.
  EXPECT_EQ(host.asked[0].text, "Are you sure you want to overwrite rover_" + qth.substr(0, 38) +
                                    "..." + qth.substr(0, 41) + ".adi");
  EXPECT_EQ(host.asked[1].text, "Could not open output file rover_" + qth.substr(0, 42) + "..." +
                                    qth.substr(0, 44) + ".adi\n");
  ASSERT_NE(failed, nullptr);
  EXPECT_EQ(failed->skip, 1);
}

TEST_F(Creation, PathAlreadyOpenInThisSplitIsNeverReopened) {
  auto first = create("A/B");
  ASSERT_TRUE(first && first->stream);
  first->stream->write("<EOH>\r\n", 7);
  ASSERT_TRUE(first->stream->close());
  for (Answer answer : {Answer::kOk, Answer::kCancel}) {
    host.asked.clear();
    host.answers = {answer};
    auto second = create("A_B");
    ASSERT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(host.asked[0].text, "Could not open output file " + (dir / "rover_A_B.adi") + "\n");
    EXPECT_EQ(second != nullptr, answer == Answer::kOk);
    EXPECT_TRUE(!second || !second->stream);
    EXPECT_EQ(read_bytes(dir / "rover_A_B.adi"), "<EOH>\r\n");
  }
}

TEST_F(Creation, ClosingReportsOpenFilesInQthOrder) {
  write_bytes(dir / "rover_DECLINED.adi", "old");
  host.answers = {Answer::kNo};
  std::unique_ptr<QthFile> root;
  const struct {
    const char* qth;
    int32_t count;
  } met[] = {{"FN32", 12345}, {"DECLINED", 0}, {kAfterMe, 0}, {"FN31", 3}, {"ME", 1}};
  for (const auto& m : met) {
    auto e = create(m.qth);
    ASSERT_NE(e, nullptr);
    e->qso_count = m.count;
    root = insert_qth_file(std::move(root), std::move(e));
  }
  find_qth_file(root.get(), "FN31")->stream->write("bytes", 5);
  StatusLists status;
  EXPECT_EQ(close_qth_files(root.get(), status), 4);
  EXPECT_EQ(status_lines(status),
            (std::vector<std::string>{
                "Wrote    3 QSOs to rover_FN31.adi", "Wrote 12345 QSOs to rover_FN32.adi",
                "Wrote    1 QSOs to rover_ME.adi",
                std::string("Wrote    0 QSOs to rover_") + kAfterMe + ".adi", ""}));
  EXPECT_EQ(find_qth_file(root.get(), "FN31")->stream, nullptr);
  EXPECT_EQ(read_bytes(dir / "rover_FN31.adi"), "bytes");
  EXPECT_EQ(read_bytes(dir / "rover_DECLINED.adi"), "old");

  StatusLists empty;
  EXPECT_EQ(close_qth_files(nullptr, empty), 0);
  EXPECT_EQ(status_lines(empty), std::vector<std::string>{});
}

TEST(QthClosing, StreamThatLostBytesIsReportedAsAnError) {
  for (std::size_t size : {std::size_t{5}, std::size_t{40000}}) {
    auto e = entry("FULL");
    e->path = "/logs/rover_FULL.adi";
    e->stream = std::make_unique<OutputStream>(std::make_unique<FullDiskSink>());
    e->qso_count = 2;
    e->stream->write(std::string(size, 'x').data(), size);
    StatusLists status;
    EXPECT_EQ(close_qth_files(e.get(), status), 1) << size;
    EXPECT_EQ(
        status_lines(status),
        (std::vector<std::string>{"ERROR: Could not write all 2 QSOs to rover_FULL.adi", ""}));
  }
}

}  // namespace
