// Reading back what a unit test made the utility write to its working folder.
#pragma once
#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadTestFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The diagnostic log of this test's working folder.
inline std::string ReadLog() { return ReadTestFile("ui_log.log"); }
