#pragma once

#include <sys/wait.h>

#include <unistd.h>
#include <array>
#include <cstdio>
#include <fstream>
#include <string>

// The built program run with the given standard input, as a user at a shell would.
struct ConsoleRun {
    std::string out;
    std::string err;
    int status = -1;

    ConsoleRun(const std::string& input) {
        char inputPath[] = "/tmp/neuronet-input-XXXXXX";
        char errPath[] = "/tmp/neuronet-err-XXXXXX";
        const int inputFile = mkstemp(inputPath);
        const int errFile = mkstemp(errPath);
        if (inputFile < 0 || errFile < 0) {
            return;
        }
        if (write(inputFile, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
            return;
        }
        close(inputFile);
        close(errFile);
        const std::string command =
            std::string("'") + NEURONET_BINARY + "' < '" + inputPath + "' 2> '" + errPath + "'";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe != nullptr) {
            std::array<char, 4096> buffer{};
            std::size_t got = 0;
            while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
                out.append(buffer.data(), got);
            }
            const int wait = pclose(pipe);
            status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
        }
        std::ifstream errText(errPath);
        err.assign(std::istreambuf_iterator<char>(errText), {});
        unlink(inputPath);
        unlink(errPath);
    }
};
