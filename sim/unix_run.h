// Running a Unix shell script from a Windows program under Wine. Wine starts
// Unix programs from CreateProcess but gives no handle to wait on, so the
// script leaves its answer in a file that the caller polls for.
#pragma once
#include <string>
#include <vector>

// Wine's own converter from a DOS path to the Unix one; empty outside Wine.
std::string SimUnixPath(const std::wstring& dosPath);

// Runs `body` with /bin/sh; "$1" is the answer file and "$2"... are `args`.
// The script calls `finish TEXT` (defined before `body`) to answer. true when
// an answer came within `ms`; `answer` gets it, or why there was none.
bool SimRunUnixScript(const std::string& body, const std::vector<std::wstring>& args, unsigned ms,
                      std::string* answer);
