#pragma once

#include <cstdio>
#include <string>

// What a shell command prints on its standard output (the desktops' own tools, read back).
inline std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}
