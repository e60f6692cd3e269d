#include "cli/Console.h"

#include <cstdio>
#include <iostream>

namespace corvane::cli {

void writeOut(std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

void writeError(std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

bool askYesNo(const std::string& question) {
    writeError(question + " [y/N] ");
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    for (char& c : answer)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' '))
        answer.pop_back();
    return answer == "y" || answer == "yes";
}

}  // namespace corvane::cli
