#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/System.h"
#include "platform/Trace.h"

namespace corvane::testing {

// Points the trace at a fresh file for the life of the object and reads back its lines.
class TraceCapture {
  public:
    explicit TraceCapture(const std::string& name)
        : path_(std::filesystem::temp_directory_path() / ("corvane-trace-" + name + ".log")) {
        std::filesystem::remove(path_);
        system::setEnvironmentVariable(kTraceFileVariable, path_.u16string());
    }
    ~TraceCapture() {
        system::setEnvironmentVariable(kTraceFileVariable, u"");
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }

    std::vector<std::string> lines() const {
        std::ifstream file(path_, std::ios::binary);
        std::vector<std::string> result;
        std::string line;
        while (std::getline(file, line))
            result.push_back(line);
        return result;
    }

    // The lines with their "[thread id] " prefix taken off.
    std::vector<std::string> messages() const {
        std::vector<std::string> result;
        for (const std::string& line : lines()) {
            size_t end = line.find("] ");
            result.push_back(end == std::string::npos ? line : line.substr(end + 2));
        }
        return result;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace corvane::testing
