// TSglDriverList: the OpenGL driver libraries found on search patterns,
// each with a display text from its version record and a 3dfx flag.
#pragma once
#include <vector>

#include "common/paths.h"

struct TSglDriverDetails {
    char fileName[kPathSize] = "";  // full path
    char text[512] = "";            // "Company Description Version", or the file name
    bool is3dfx = false;
};

class TSglDriverList {
public:
    // Patterns such as "<project>\opengl*.dll", "<windows>\opengl*.dll",
    // "<system>\opengl*.dll"; "<project>" is the program's directory. A
    // change of the search path rebuilds the list on the next GetDrivers.
    void SetSearchPath(const std::vector<const char*>& patterns);
    void AddSearchPattern(const char* pattern);
    const std::vector<TSglDriverDetails>& GetDrivers();
    // Index of the entry whose file name (with or without directory) equals
    // name, ignoring case; -1 when none.
    int IndexOfFileName(const char* name);

    // Expands the placeholders of one pattern; false when it does not fit.
    static bool ExpandPattern(const char* pattern, char* out, unsigned size);
    // Fills an entry for one file from its version record.
    static void Describe(const char* file, TSglDriverDetails* entry);

private:
    void Build();

    std::vector<std::vector<char>> patterns_;
    std::vector<TSglDriverDetails> drivers_;
    bool built_ = false;
};

// The vendor string of the system's OpenGL, learnt once (empty if unknown).
const char* SystemOpenGLVendor();
