#include "emulator/drive/EventStatus.h"

#include "formats/BigEndian.h"

namespace korvel::emulator {

std::vector<std::uint8_t> EventStatusAnswer(std::uint8_t classRequest, const MediaStatus& status) {
  namespace layout = event_status_layout;
  const bool media = (classRequest & layout::kMediaClassBit) != 0;
  std::vector<std::uint8_t> answer(layout::kHeaderLength +
                                   (media ? layout::kMediaDescriptorLength : 0));
  formats::PutBigEndian(answer.data() + layout::kEventDataLength,
                        answer.size() - (layout::kNotificationClass - layout::kEventDataLength), 2);
  answer[layout::kNotificationClass] = media ? layout::kMediaClass : layout::kNoEventAvailable;
  answer[layout::kSupportedClasses] = layout::kMediaClassBit;
  if (media) {
    std::uint8_t* descriptor = answer.data() + layout::kHeaderLength;
    descriptor[layout::kMediaEventCode] = static_cast<std::uint8_t>(status.event);
    descriptor[layout::kMediaStatus] =
        static_cast<std::uint8_t>((status.trayOpen ? layout::kTrayOpenBit : 0) |
                                  (status.mediaPresent ? layout::kMediaPresentBit : 0));
    descriptor[layout::kStartSlot] = 0;
    descriptor[layout::kEndSlot] = 0;
  }
  return answer;
}

}  // namespace korvel::emulator
