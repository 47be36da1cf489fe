// The subcommands of the qvt tool; each answers the process exit code.
#pragma once

#include <string>
#include <vector>

namespace qvt {
int RunInfo(const std::vector<std::string>& args);
int RunBank(const std::vector<std::string>& args);
int RunRender(const std::vector<std::string>& args);
int RunSnapshot(const std::vector<std::string>& args);
} // namespace qvt
