#include "cli/CliDialogs.h"

namespace lyra::cli {

void CliDialogs::message(const std::string& text, const std::string& detail) {
  messages.push_back(text);
  // A box breaks its lines at "\r" and "\r\n"; one line of a terminal's log reads better.
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    shown += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
  }
  if (!detail.empty()) shown += " (" + detail + ")";
  if (printResult && isSuccess(text)) {
    printResult((context.empty() ? std::string() : context + ": ") + shown);
    return;
  }
  print_("lyraphone-cli: " + (context.empty() ? std::string() : context + ": ") + shown);
}

bool CliDialogs::isSuccess(const std::string& text) {
  return text == "Successfully save." || text.rfind("DeviceID change to ", 0) == 0;
}

std::optional<std::string> CliDialogs::failure() const {
  for (const std::string& m : messages) {
    if (!isSuccess(m)) return m;
  }
  return std::nullopt;
}

}  // namespace lyra::cli
