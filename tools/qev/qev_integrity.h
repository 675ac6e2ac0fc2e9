// The integrity line of a QEV file as qev check states it.
#ifndef QEV_TOOL_QEV_INTEGRITY_H
#define QEV_TOOL_QEV_INTEGRITY_H

#include <cstdint>
#include <string>

struct QevIntegrity {
    int32_t version = 0;  // as stored
    bool whole = false;
    std::string text;     // "whole", or "damaged: ..." saying where
};

// False (with a reason) only when the file cannot be read at all.
bool CheckQevIntegrity(const std::string& path, QevIntegrity& integrity, std::string& error);

#endif
