#pragma once
// The program's version as shown to the user ("1.1"), taken from the revision keyword.
const char* version_text();
