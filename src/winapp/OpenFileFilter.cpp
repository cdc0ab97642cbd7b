#include "winapp/OpenFileFilter.h"

namespace korvel::winapp {

std::string NulSeparatedFilter(std::string_view barSeparated) {
  std::string filter(barSeparated);
  for (char& c : filter) {
    if (c == '|') c = '\0';
  }
  // A list of pairs ends with an empty description: two NULs in a row after the last pattern.
  while (filter.size() < 2 || filter[filter.size() - 1] != '\0' ||
         filter[filter.size() - 2] != '\0') {
    filter.push_back('\0');
  }
  return filter;
}

}  // namespace korvel::winapp
