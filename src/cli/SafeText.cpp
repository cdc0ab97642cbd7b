#include "cli/SafeText.h"

namespace korvel::cli {

std::string SafeJson(const nlohmann::ordered_json& document, int indent) {
  return machine::PrintableJson(
      document.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace korvel::cli
