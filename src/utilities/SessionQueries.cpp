#include "utilities/SessionQueries.h"

#include <vector>

#include "drive/CommandsStandard.h"
#include "drive/TocLayout.h"
#include "formats/BigEndian.h"

namespace korvel::utilities {
namespace {

using transport::DeviceAddress;
using transport::ScsiTransport;

constexpr std::uint32_t kTocLength = 804;
constexpr std::uint32_t kFullTocLength = 2000;

// The full table of contents, or nothing when the drive refuses it.
std::optional<std::vector<std::uint8_t>> ReadFullToc(ScsiTransport& transport,
                                                     DeviceAddress address) {
  std::vector<std::uint8_t> area(kFullTocLength, 0);
  if (drive::ReadTocFormatInControlByte(transport, address.adapter, address.target,
                                        drive::kTocFormatFullToc, kFullTocLength,
                                        area.data()) != 1) {
    return std::nullopt;
  }
  return area;
}

drive::FullTocDescriptors DescriptorsOf(const std::vector<std::uint8_t>& area) {
  using namespace drive::full_toc_layout;
  const auto dataLength = static_cast<std::size_t>(formats::GetBigEndian(&area[kDataLength], 2));
  return drive::FullTocDescriptors(area, dataLength / kDescriptorSize);
}

}  // namespace

int IsSessionLastTrack(ScsiTransport& transport, DeviceAddress address, std::uint8_t track,
                       int lastTrackCounts) {
  using namespace drive::full_toc_layout;
  const std::uint8_t bcdTrack = drive::ToBcd(track);
  std::vector<std::uint8_t> toc(kTocLength, 0);
  if (drive::ReadTocFormatInControlByte(transport, address.adapter, address.target,
                                        drive::kTocFormatToc, kTocLength, toc.data()) != 1) {
    return 0;
  }
  if (track == toc[drive::toc_layout::kLast] && lastTrackCounts != 1) return 0;
  const std::optional<std::vector<std::uint8_t>> full = ReadFullToc(transport, address);
  if (!full) return 0;
  const drive::FullTocDescriptors descriptors = DescriptorsOf(*full);
  for (std::size_t i = 0; i < descriptors.size(); ++i) {
    const auto d = descriptors[i];
    if (d[kPoint] == drive::kPointLastTrack && d[kPmin] == bcdTrack) return 1;
  }
  return 0;
}

bool DiscIsAppendable(ScsiTransport& transport, DeviceAddress address) {
  using namespace drive::full_toc_layout;
  const std::optional<std::vector<std::uint8_t>> full = ReadFullToc(transport, address);
  if (!full) return false;
  const std::uint8_t lastSession = (*full)[kLast];
  const drive::FullTocDescriptors descriptors = DescriptorsOf(*full);
  for (std::size_t i = 0; i < descriptors.size(); ++i) {
    const auto d = descriptors[i];
    if (d[kPoint] == drive::kPointNextProgramArea && d[kSession] == lastSession) {
      return !(d[kMin] == 0xFF && d[kSec] == 0xFF && d[kFrame] == 0xFF);
    }
  }
  return false;
}

}  // namespace korvel::utilities
