#include "drive/TocLayout.h"

#include <algorithm>

namespace korvel::drive {

FullTocDescriptors::FullTocDescriptors(std::span<const std::uint8_t> bytesRead, std::size_t count)
    : bytes_(bytesRead) {
  using namespace full_toc_layout;
  const std::size_t room =
      bytesRead.size() > kHeaderSize ? (bytesRead.size() - kHeaderSize) / kDescriptorSize : 0;
  count_ = std::min(count, room);
}

std::span<const std::uint8_t, full_toc_layout::kDescriptorSize> FullTocDescriptors::operator[](
    std::size_t index) const {
  using namespace full_toc_layout;
  return bytes_.subspan(kHeaderSize + kDescriptorSize * index).first<kDescriptorSize>();
}

}  // namespace korvel::drive
