// Every builder against the bytes that reach the transport: the whole CDB (its length follows
// from the opcode), the direction and the transfer length, with arguments wider than their
// fields so that masking, byte placement and the zero byte 2 of 24-bit addresses show.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

#include "drive/Commands.h"
#include "drive/CommandsStandard.h"
#include "drive/CommandsVendor.h"
#include "drive/tests/RecordingBackend.h"

namespace korvel::drive {
namespace {

using testing::RecordedCommand;
using testing::RecordingTransport;
using transport::ScsiTransport;

constexpr std::uint8_t kA = 3;  // host adapter
constexpr std::uint8_t kT = 9;  // target ID

constexpr bool kIn = false;
constexpr bool kOut = true;

using Call = std::function<std::int32_t(ScsiTransport&, std::uint8_t*)>;

struct BuilderCase {
  const char* name;
  Call call;
  std::vector<std::uint8_t> cdb;
  bool dataOut;
  std::uint32_t length;
};

void PrintTo(const BuilderCase& c, std::ostream* os) {
  *os << c.name;
}

#define CALL(expr)                                        \
  [](ScsiTransport& t, std::uint8_t* b) -> std::int32_t { \
    (void)b;                                              \
    return expr;                                          \
  }

const std::vector<BuilderCase> kUpgradeCases = {
    {"TestUnitReady", CALL(TestUnitReady(t, kA, kT)), {0x00, 0, 0, 0, 0, 0}, kIn, 0},
    {"RequestSense", CALL(RequestSense(t, kA, kT, b)), {0x03, 0, 0, 0, 18, 0}, kIn, 18},
    {"RezeroUnit", CALL(RezeroUnit(t, kA, kT)), {0x01, 0, 0, 0, 0, 0}, kIn, 0},
    {"WriteBufferDownloadChunk",
     CALL(WriteBuffer(t, kA, kT, 4, 0, 0x2000, 8192, b)),
     {0x3B, 0x04, 0x00, 0x00, 0x20, 0x00, 0x00, 0x20, 0x00, 0x00},
     kOut,
     8196},
    {"WriteBufferWideArguments",
     CALL(WriteBuffer(t, kA, kT, 0xFF, 0xA5, 0x01234567, 0x00ABCDEF, b)),
     {0x3B, 0x07, 0xA5, 0x23, 0x45, 0x67, 0xAB, 0xCD, 0xEF, 0x00},
     kOut,
     0xABCDEF + 4},
    {"ReadDriveMemoryFirmwareVersion",
     CALL(ReadDriveMemory(t, kA, kT, 0x100198, 4, b)),
     {0xE3, 0x00, 0x00, 0x10, 0x01, 0x98, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00},
     kIn,
     4},
    {"ReadDriveMemoryWideArguments",
     CALL(ReadDriveMemory(t, kA, kT, 0xFFFFFFFF, 0x01234567, b)),
     {0xE3, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x23, 0x45, 0x67, 0x00, 0x00},
     kIn,
     0x01234567},
};

const std::vector<BuilderCase> kStandardCases = {
    {"Read6AddressByte1Whole",
     CALL(Read6(t, kA, kT, 0xFF345678, 3, b)),
     {0x08, 0x34, 0x56, 0x78, 0x03, 0x00},
     kIn,
     3 * 2048},
    {"Read6FullCount",
     CALL(Read6(t, kA, kT, 0x00012345, 0xFF, b)),
     {0x08, 0x01, 0x23, 0x45, 0xFF, 0x00},
     kIn,
     255 * 2048},
    {"Read6WithBlockSize",
     CALL(Read6WithBlockSize(t, kA, kT, 0x00ABCDEF, 2, 2340, b)),
     {0x08, 0xAB, 0xCD, 0xEF, 0x02, 0x00},
     kIn,
     4680},
    {"Write6",
     CALL(Write6(t, kA, kT, 0xFFFFFFFF, 0x80, b)),
     {0x0A, 0xFF, 0xFF, 0xFF, 0x80, 0x00},
     kOut,
     0x80 * 2048},
    {"Seek6", CALL(Seek6(t, kA, kT, 0x01ABCDEF)), {0x0B, 0xAB, 0xCD, 0xEF, 0x00, 0x00}, kIn, 0},
    {"Reserve6", CALL(Reserve6(t, kA, kT, 1, 7)), {0x16, 0x1E, 0, 0, 0x08, 0}, kIn, 0},
    {"Reserve6IdCannotSetThirdPartyBit",
     CALL(Reserve6(t, kA, kT, 0xFE, 0xFF)),
     {0x16, 0x0E, 0, 0, 0x08, 0},
     kIn,
     0},
    {"Release6", CALL(Release6(t, kA, kT, 1, 2)), {0x17, 0x14, 0, 0, 0x08, 0}, kIn, 0},
    {"StartStopUnitEject", CALL(StartStopUnitEject(t, kA, kT)), {0x1B, 0, 0, 0, 0x02, 0}, kIn, 0},
    {"StartStopUnitLoad", CALL(StartStopUnitLoad(t, kA, kT)), {0x1B, 0, 0, 0, 0x03, 0}, kIn, 0},
    {"StartStopUnitAllSet",
     CALL(StartStopUnit(t, kA, kT, 1, 1, 1)),
     {0x1B, 0x01, 0, 0, 0x03, 0},
     kIn,
     0},
    {"StartStopUnitBitZeroOnly",
     CALL(StartStopUnit(t, kA, kT, 0xFE, 0xFF, 0xFE)),
     {0x1B, 0x00, 0, 0, 0x02, 0},
     kIn,
     0},
    {"StartStopUnitImmediateStart",
     CALL(StartStopUnit(t, kA, kT, 0xFF, 0, 0xFF)),
     {0x1B, 0x01, 0, 0, 0x01, 0},
     kIn,
     0},
    {"PreventMediumRemoval", CALL(PreventMediumRemoval(t, kA, kT)), {0x1E, 0, 0, 0, 1, 0}, kIn, 0},
    {"AllowMediumRemoval", CALL(AllowMediumRemoval(t, kA, kT)), {0x1E, 0, 0, 0, 0, 0}, kIn, 0},
    {"ReceiveDiagnosticResults",
     CALL(ReceiveDiagnosticResults(t, kA, kT, b)),
     {0x1C, 0, 0, 0, 0x08, 0},
     kIn,
     8},
    {"SendDiagnosticSelfTest",
     CALL(SendDiagnostic(t, kA, kT, 1, b)),
     {0x1D, 0x04, 0, 0, 0x00, 0},
     kOut,
     0},
    {"SendDiagnosticParameters",
     CALL(SendDiagnostic(t, kA, kT, 0, b)),
     {0x1D, 0x00, 0, 0, 0x08, 0},
     kOut,
     8},
    {"SendDiagnosticFlagIsBitZero",
     CALL(SendDiagnostic(t, kA, kT, 0xFE, b)),
     {0x1D, 0x00, 0, 0, 0x08, 0},
     kOut,
     8},
    {"ReadCapacity", CALL(ReadCapacity(t, kA, kT, b)), {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kIn, 8},
    {"Read10",
     CALL(Read10(t, kA, kT, 0x01234567, 0x00011234, b)),
     {0x28, 0, 0x00, 0x23, 0x45, 0x67, 0, 0x12, 0x34, 0},
     kIn,
     0x11234u * 2048},
    {"Read10WithBlockSize",
     CALL(Read10WithBlockSize(t, kA, kT, 0x01234567, 3, 2336, b)),
     {0x28, 0, 0x00, 0x23, 0x45, 0x67, 0, 0x00, 0x03, 0},
     kIn,
     3 * 2336},
    {"Write10Raw2352",
     CALL(Write10Raw2352(t, kA, kT, 0x01234567, 0x0102, b)),
     {0x2A, 0, 0x01, 0x23, 0x45, 0x67, 0, 0x01, 0x02, 0},
     kOut,
     0x102 * 2352},
    {"Write10WithBlockSize",
     CALL(Write10WithBlockSize(t, kA, kT, 0xFFFFFFFF, 2, 2056, b)),
     {0x2A, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x00, 0x02, 0},
     kOut,
     2 * 2056},
    {"Write10Subcode96",
     CALL(Write10Subcode96(t, kA, kT, 0x10, 0xFFFF, b)),
     {0x2A, 0, 0, 0, 0, 0x10, 0, 0xFF, 0xFF, 0},
     kOut,
     0xFFFF * 96},
    {"Seek10",
     CALL(Seek10(t, kA, kT, 0x01234567)),
     {0x2B, 0, 0x00, 0x23, 0x45, 0x67, 0, 0, 0, 0},
     kIn,
     0},
    {"Verify10",
     CALL(Verify10(t, kA, kT, 0xFFFFFFFF, 0x01234567)),
     {0x2F, 0, 0x00, 0xFF, 0xFF, 0xFF, 0, 0x45, 0x67, 0},
     kIn,
     0},
    {"SynchronizeCache",
     CALL(SynchronizeCache(t, kA, kT, 1, 0x01234567, 0x0001ABCD)),
     {0x35, 0x02, 0x01, 0x23, 0x45, 0x67, 0, 0xAB, 0xCD, 0},
     kIn,
     0},
    {"SynchronizeCacheFlagIsBitZero",
     CALL(SynchronizeCache(t, kA, kT, 0xFE, 0, 0)),
     {0x35, 0x00, 0, 0, 0, 0, 0, 0, 0, 0},
     kIn,
     0},
    {"ReadBuffer",
     CALL(ReadBuffer(t, kA, kT, 0xFF, 0x01234567, 0x00ABCDEF, b)),
     {0x3C, 0x07, 0x00, 0x23, 0x45, 0x67, 0xAB, 0xCD, 0xEF, 0},
     kIn,
     0xABCDEF + 4},
    {"ReadBufferOneBitMode",
     CALL(ReadBufferOneBitMode(t, kA, kT, 0xFF, 0x5A, 0x10, 0x100, b)),
     {0x3C, 0x01, 0x5A, 0x00, 0x00, 0x10, 0x00, 0x01, 0x00, 0},
     kIn,
     0x100},
    {"ReadBufferOneBitModeBitZero",
     CALL(ReadBufferOneBitMode(t, kA, kT, 0xFE, 0, 0, 4, b)),
     {0x3C, 0x00, 0, 0, 0, 0, 0, 0, 0x04, 0},
     kIn,
     4},
    {"WriteBufferOneBitMode",
     CALL(WriteBufferOneBitMode(t, kA, kT, 0x03, 0x01, 0x01234567, 0x20, b)),
     {0x3B, 0x01, 0x01, 0x23, 0x45, 0x67, 0x00, 0x00, 0x20, 0},
     kOut,
     0x20},
    {"ReadBufferCapacity",
     CALL(ReadBufferCapacity(t, kA, kT, b)),
     {0x5C, 0, 0, 0, 0, 0, 0, 0, 0x0C, 0},
     kIn,
     12},
    {"ReadSubChannelFlagsSet",
     CALL(ReadSubChannel(t, kA, kT, 1, 1, 0x02, 0x07, 0x01234567, b)),
     {0x42, 0x02, 0x40, 0x02, 0, 0, 0x07, 0x45, 0x67, 0},
     kIn,
     0x01234567},
    {"ReadSubChannelFlagsBitZero",
     CALL(ReadSubChannel(t, kA, kT, 0xFE, 0xFE, 0xFF, 0xAA, 16, b)),
     {0x42, 0x00, 0x00, 0xFF, 0, 0, 0xAA, 0x00, 0x10, 0},
     kIn,
     16},
    {"ReadTocFormatInControlByte",
     CALL(ReadTocFormatInControlByte(t, kA, kT, 1, 0x0804, b)),
     {0x43, 0, 0, 0, 0, 0, 0, 0x08, 0x04, 0x40},
     kIn,
     0x804},
    {"ReadTocFormatInControlByteMasks",
     CALL(ReadTocFormatInControlByte(t, kA, kT, 0xFF, 0x01234567, b)),
     {0x43, 0, 0, 0, 0, 0, 0, 0x45, 0x67, 0xC0},
     kIn,
     0x4567},
    {"ReadToc",
     CALL(ReadToc(t, kA, kT, 0xFF, 0xAA, 0x01234567, b)),
     {0x43, 0, 0xFF, 0, 0, 0, 0xAA, 0x45, 0x67, 0},
     kIn,
     0x01234567},
    {"ReadTocCdText",
     CALL(ReadTocCdText(t, kA, kT, 0x0FFF, b)),
     {0x43, 0, 0x05, 0, 0, 0, 0, 0x0F, 0xFF, 0},
     kIn,
     0xFFF},
    {"ReadHeader",
     CALL(ReadHeader(t, kA, kT, 1, 0x01234567, 0x0102, b)),
     {0x44, 0x02, 0x00, 0x23, 0x45, 0x67, 0, 0x01, 0x02, 0},
     kIn,
     0x102 * 8},
    {"ReadHeaderMsfBitZero",
     CALL(ReadHeader(t, kA, kT, 0xFE, 0, 1, b)),
     {0x44, 0x00, 0, 0, 0, 0, 0, 0x00, 0x01, 0},
     kIn,
     8},
    {"ReadDiscInformation",
     CALL(ReadDiscInformation(t, kA, kT, 0x01234567, b)),
     {0x51, 0, 0, 0, 0, 0, 0, 0x45, 0x67, 0},
     kIn,
     0x01234567},
    {"ReadTrackInformation",
     CALL(ReadTrackInformation(t, kA, kT, 0xFF, 0x01234567, 0x1C, b)),
     {0x52, 0xFF, 0x01, 0x23, 0x45, 0x67, 0, 0x00, 0x1C, 0},
     kIn,
     0x1C},
    {"PlayAudio10",
     CALL(PlayAudio10(t, kA, kT, 0x01234567, 0xFFFFFFFF)),
     {0x45, 0, 0x00, 0x23, 0x45, 0x67, 0, 0xFF, 0xFF, 0},
     kIn,
     0},
    {"PlayAudio12",
     CALL(PlayAudio12(t, kA, kT, 0x01234567, 0xFF123456)),
     {0xA5, 0, 0x00, 0x23, 0x45, 0x67, 0, 0x12, 0x34, 0x56, 0, 0},
     kIn,
     0},
    {"PlayAudioMsf",
     CALL(PlayAudioMsf(t, kA, kT, 1, 2, 3, 0x4F, 0x3B, 0x4A)),
     {0x47, 0, 0, 0x01, 0x02, 0x03, 0x4F, 0x3B, 0x4A, 0},
     kIn,
     0},
    {"PlayAudioTrackIndex",
     CALL(PlayAudioTrackIndex(t, kA, kT, 1, 2, 99)),
     {0x48, 0, 0, 0, 0x01, 0x02, 0, 0x63, 0x01, 0},
     kIn,
     0},
    {"PlayTrackRelative10",
     CALL(PlayTrackRelative10(t, kA, kT, 0xAB, 0x01234567, 0x00BEEF01)),
     {0x49, 0, 0x00, 0x23, 0x45, 0x67, 0xAB, 0xEF, 0x01, 0},
     kIn,
     0},
    {"PlayTrackRelative12",
     CALL(PlayTrackRelative12(t, kA, kT, 0xAB, 0x01234567, 0x89ABCDEF)),
     {0xA9, 0, 0x00, 0x23, 0x45, 0x67, 0, 0xAB, 0xCD, 0xEF, 0xAB, 0},
     kIn,
     0},
    {"Pause", CALL(Pause(t, kA, kT)), {0x4B, 0, 0, 0, 0, 0, 0, 0, 0x00, 0}, kIn, 0},
    {"Resume", CALL(Resume(t, kA, kT)), {0x4B, 0, 0, 0, 0, 0, 0, 0, 0x01, 0}, kIn, 0},
    {"SetCdSpeed",
     CALL(SetCdSpeed(t, kA, kT, 0x01234567, 0xFFFF)),
     {0xBB, 0, 0x45, 0x67, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0},
     kIn,
     0},
    {"ReserveTrack",
     CALL(ReserveTrack(t, kA, kT, 0x01234567)),
     {0x53, 0, 0, 0, 0, 0, 0x23, 0x45, 0x67, 0},
     kIn,
     0},
    {"SendOpcInformation",
     CALL(SendOpcInformation(t, kA, kT, 0x01, 0x00010008, b)),
     {0x54, 0x01, 0, 0, 0, 0, 0, 0x00, 0x08, 0},
     kOut,
     0x10008},
    {"RepairTrack",
     CALL(RepairTrack(t, kA, kT, 0xAA)),
     {0x58, 0, 0, 0, 0, 0xAA, 0, 0, 0, 0},
     kIn,
     0},
    {"CloseTrackSessionBoth",
     CALL(CloseTrackSession(t, kA, kT, 1, 1, 0x63)),
     {0x5B, 0, 0x03, 0, 0, 0x63, 0, 0, 0, 0},
     kIn,
     0},
    {"CloseTrackSessionSession",
     CALL(CloseTrackSession(t, kA, kT, 1, 0, 1)),
     {0x5B, 0, 0x02, 0, 0, 0x01, 0, 0, 0, 0},
     kIn,
     0},
    {"CloseTrackSessionTrack",
     CALL(CloseTrackSession(t, kA, kT, 0, 1, 2)),
     {0x5B, 0, 0x01, 0, 0, 0x02, 0, 0, 0, 0},
     kIn,
     0},
    {"CloseTrackSessionFlagsBitZero",
     CALL(CloseTrackSession(t, kA, kT, 0xFE, 0xFE, 0)),
     {0x5B, 0, 0x00, 0, 0, 0x00, 0, 0, 0, 0},
     kIn,
     0},
    {"SendCueSheet",
     CALL(SendCueSheet(t, kA, kT, 0x01234567, b)),
     {0x5D, 0, 0, 0, 0, 0, 0x23, 0x45, 0x67, 0},
     kOut,
     0x01234567},
    {"BlankMinimal",
     CALL(Blank(t, kA, kT, 0x01234567, 1)),
     {0xA1, 0x11, 0x01, 0x23, 0x45, 0x67, 0, 0, 0, 0, 0, 0},
     kIn,
     0},
    {"BlankTrackTail",
     CALL(Blank(t, kA, kT, 0, 0x06)),
     {0xA1, 0x16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     kIn,
     0},
    {"Read12",
     CALL(Read12(t, kA, kT, 0xFFFFFFFF, 0x00000102, b)),
     {0xA8, 0, 0x00, 0xFF, 0xFF, 0xFF, 0, 0x00, 0x01, 0x02, 0, 0},
     kIn,
     0x102 * 2048},
    {"Write12",
     CALL(Write12(t, kA, kT, 0x01234567, 3, b)),
     {0xAA, 0, 0x00, 0x23, 0x45, 0x67, 0, 0x00, 0x00, 0x03, 0, 0},
     kOut,
     3 * 2048},
    {"Verify12",
     CALL(Verify12(t, kA, kT, 0x01234567, 0x01234567)),
     {0xAF, 0, 0x00, 0x23, 0x45, 0x67, 0, 0x23, 0x45, 0x67, 0, 0},
     kIn,
     0},
    {"ReadCd12Bytes",
     CALL(ReadCd12Bytes(t, kA, kT, 0xF8, 0x02, 0x01234567, 0xFF123456, b)),
     {0xBE, 0, 0x01, 0x23, 0x45, 0x67, 0x12, 0x34, 0x56, 0xF8, 0x02, 0},
     kIn,
     12},
    {"ReadCd",
     CALL(ReadCd(t, kA, kT, 0x10, 0x01, 0xFFFFFFFF, 5, 2448, b)),
     {0xBE, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x05, 0x10, 0x01, 0},
     kIn,
     5 * 2448},
};

const std::vector<BuilderCase> kVendorCases = {
    {"VendorCdWordForm",
     CALL(VendorCd(t, kA, kT, 1, 0xFF, 0x01234567, 0)),
     {0xCD, 0x17, 0, 0x23, 0x45, 0x67, 0, 0, 0, 0, 0, 0},
     kIn,
     0},
    {"VendorCdByteForm",
     CALL(VendorCd(t, kA, kT, 0xFE, 5, 0x001234AB, 2)),
     {0xCD, 0x05, 0, 0, 0, 0xAB, 0, 0, 0, 0, 0, 0},
     kIn,
     0},
    {"ReadCdDa",
     CALL(ReadCdDa(t, kA, kT, 0x01234567, 0xFF000010, 0x02, 0x00ABCDEF, b)),
     {0xD8, 0, 0x00, 0x23, 0x45, 0x67, 0, 0x00, 0x00, 0x10, 0x02, 0},
     kIn,
     0xABCDEF},
    {"ReadCdDaMsfOneSecond",
     CALL(ReadCdDaMsf(t, kA, kT, 0x000200, 0x000300, 0, b)),
     {0xD9, 0, 0, 0x00, 0x02, 0x00, 0, 0x00, 0x03, 0x00, 0x00, 0},
     kIn,
     176400},
    {"ReadCdDaMsfSelector1",
     CALL(ReadCdDaMsf(t, kA, kT, 0x000200, 0x000202, 1, b)),
     {0xD9, 0, 0, 0x00, 0x02, 0x00, 0, 0x00, 0x02, 0x02, 0x01, 0},
     kIn,
     2 * 2368},
    {"ReadCdDaMsfSelector2",
     CALL(ReadCdDaMsf(t, kA, kT, 0x000200, 0x000201, 2, b)),
     {0xD9, 0, 0, 0x00, 0x02, 0x00, 0, 0x00, 0x02, 0x01, 0x02, 0},
     kIn,
     2448},
    {"ReadCdDaMsfSelector3",
     CALL(ReadCdDaMsf(t, kA, kT, 0x000200, 0x000201, 3, b)),
     {0xD9, 0, 0, 0x00, 0x02, 0x00, 0, 0x00, 0x02, 0x01, 0x03, 0},
     kIn,
     96},
    {"ReadCdDaMsfOtherSelector",
     CALL(ReadCdDaMsf(t, kA, kT, 0x000200, 0x000201, 0xFF, b)),
     {0xD9, 0, 0, 0x00, 0x02, 0x00, 0, 0x00, 0x02, 0x01, 0xFF, 0},
     kIn,
     2352},
    // Minutes count 4500 frames and seconds 75; the top byte of a packed MSF is not an address.
    {"ReadCdDaMsfMinutes",
     CALL(ReadCdDaMsf(t, kA, kT, 0xFF010203, 0x0A0000, 0, b)),
     {0xD9, 0, 0, 0x01, 0x02, 0x03, 0, 0x0A, 0x00, 0x00, 0x00, 0},
     kIn,
     (45000 - 4653) * 2352},
    {"ReadCdDaMsfEmptySpan",
     CALL(ReadCdDaMsf(t, kA, kT, 0x000200, 0x000200, 0, b)),
     {0xD9, 0, 0, 0x00, 0x02, 0x00, 0, 0x00, 0x02, 0x00, 0x00, 0},
     kIn,
     0},
    {"VendorStatusDe",
     CALL(VendorStatusDe(t, kA, kT, b)),
     {0xDE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     kIn,
     2},
    {"ReadSubCodeBlocks",
     CALL(ReadSubCodeBlocks(t, kA, kT, 0x01234567, b)),
     {0xDF, 0, 0, 0, 0, 0, 0x01, 0x23, 0x45, 0x67, 0, 0},
     kIn,
     0x01234567u * 96},
    {"VendorReadE0",
     CALL(VendorReadE0(t, kA, kT, 0x01234567, b)),
     {0xE0, 0, 0, 0, 0, 0, 0, 0, 0x45, 0x67, 0, 0},
     kIn,
     0x01234567},
    {"VendorE1", CALL(VendorE1(t, kA, kT)), {0xE1, 0x04, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kIn, 0},
    {"WriteDriveMemory",
     CALL(WriteDriveMemory(t, kA, kT, 0xA5, 0x01234567, 0x89ABCDEF, b)),
     {0xE2, 0xA5, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0, 0},
     kOut,
     0x89ABCDEF},
    {"VendorStatusE4",
     CALL(VendorStatusE4(t, kA, kT, b)),
     {0xE4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     kIn,
     2},
    {"VendorReadE5Byte4",
     CALL(VendorReadE5Byte4(t, kA, kT, 0xAB, b)),
     {0xE5, 0, 0, 0, 0xAB, 0, 0, 0, 0x0C, 0, 0, 0},
     kIn,
     12},
    {"VendorReadE5Byte5",
     CALL(VendorReadE5Byte5(t, kA, kT, 0xAB, b)),
     {0xE5, 0, 0, 0, 0, 0xAB, 0, 0, 0x0C, 0, 0, 0},
     kIn,
     12},
    {"VendorWriteF0",
     CALL(VendorWriteF0(t, kA, kT, 0x01234567, 0x89ABCDEF, b)),
     {0xF0, 0, 0x01, 0x23, 0x45, 0x67, 0, 0, 0xCD, 0xEF, 0, 0},
     kOut,
     0x89ABCDEF},
    {"VendorReadF1",
     CALL(VendorReadF1(t, kA, kT, 0xFFFFFFFF, 0x0200, b)),
     {0xF1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0x02, 0x00, 0, 0},
     kIn,
     0x200},
    {"VendorF7",
     CALL(VendorF7(t, kA, kT, 0xFF, 0x12, 0x34, 0x01235678, 0xFFFF9ABC)),
     {0xF7, 0x01, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0, 0, 0, 0},
     kIn,
     0},
    {"VendorReadF8",
     CALL(VendorReadF8(t, kA, kT, 0xFE, 0xAA, 0xBB, 0x01234567, b)),
     {0xF8, 0x00, 0xAA, 0xBB, 0x45, 0x67, 0, 0, 0, 0, 0, 0},
     kIn,
     2},
    {"VendorF9",
     CALL(VendorF9(t, kA, kT, 0xFF)),
     {0xF9, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     kIn,
     0},
    {"VendorF9FlagBitZero",
     CALL(VendorF9(t, kA, kT, 0xFE)),
     {0xF9, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     kIn,
     0},
    {"VendorFa",
     CALL(VendorFa(t, kA, kT, 0xFF)),
     {0xFA, 0, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     kIn,
     0},
    {"VendorReadFb",
     CALL(VendorReadFb(t, kA, kT, b)),
     {0xFB, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     kIn,
     8},
    {"VendorReadFc",
     CALL(VendorReadFc(t, kA, kT, 0xFF, 0x01234567, 0x01234567, b)),
     {0xFC, 0x01, 0x01, 0x23, 0x45, 0x67, 0, 0, 0x45, 0x67, 0, 0},
     kIn,
     0x01234567},
    {"VendorFd",
     CALL(VendorFd(t, kA, kT, 0x01234567, 0x5A)),
     {0xFD, 0, 0x01, 0x23, 0x45, 0x67, 0, 0, 0, 0x5A, 0, 0},
     kOut,
     0},
};

#undef CALL

class BuilderTest : public ::testing::TestWithParam<BuilderCase> {
 protected:
  RecordingTransport drive;
  // Never read or written by the recorder; only its address travels.
  std::uint8_t buffer[32] = {};
};

TEST_P(BuilderTest, HandsTheTransportExactlyThisCommand) {
  const BuilderCase& c = GetParam();
  ASSERT_EQ(c.call(drive.transport, buffer), 1);
  ASSERT_EQ(drive.recorder.commands.size(), 1u);
  const RecordedCommand& sent = drive.recorder.commands[0];
  EXPECT_EQ(sent.adapter, kA);
  EXPECT_EQ(sent.target, kT);
  EXPECT_EQ(sent.cdb, c.cdb);
  EXPECT_EQ(sent.dataOut, c.dataOut);
  EXPECT_EQ(sent.length, c.length);
  EXPECT_EQ(sent.buffer, c.length == 0 ? nullptr : buffer);
}

TEST_P(BuilderTest, ReturnsTheTransportStatusUnchanged) {
  const BuilderCase& c = GetParam();
  for (std::int32_t status : {4, 2, -1, 0, 0x82, 8}) {
    drive.recorder.status = status;
    EXPECT_EQ(c.call(drive.transport, buffer), status) << "status " << status;
  }
}

std::string CaseName(const ::testing::TestParamInfo<BuilderCase>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Upgrade, BuilderTest, ::testing::ValuesIn(kUpgradeCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Standard, BuilderTest, ::testing::ValuesIn(kStandardCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Vendor, BuilderTest, ::testing::ValuesIn(kVendorCases), CaseName);

// Arguments whose transfer would wrap around 32 bits (or, for MSF, go negative) are refused
// before anything reaches the drive.
struct RefusedCase {
  const char* name;
  Call call;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
  *os << c.name;
}

class RefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTest, SendsNothingAndFails) {
  RecordingTransport drive;
  std::uint8_t buffer[4] = {};
  EXPECT_EQ(GetParam().call(drive.transport, buffer), kStatusRefused);
  EXPECT_TRUE(drive.recorder.commands.empty());
}

#define CALL(expr) [](ScsiTransport& t, std::uint8_t* b) -> std::int32_t { return expr; }
INSTANTIATE_TEST_SUITE_P(
    Transfers, RefusedTest,
    ::testing::Values(
        RefusedCase{"ReadCdDaMsfEndOneFrameBeforeStart",
                    CALL(ReadCdDaMsf(t, kA, kT, 0x000300, 0x00024A, 0, b))},
        RefusedCase{"ReadCdDaMsfEndFrameBeforeMinute",
                    CALL(ReadCdDaMsf(t, kA, kT, 0x010000, 0x003B4A, 2, b))},
        RefusedCase{"WriteBufferLengthPlusFourWraps",
                    CALL(WriteBuffer(t, kA, kT, 4, 0, 0, 0xFFFFFFFD, b))},
        RefusedCase{"ReadBufferLengthPlusFourWraps",
                    CALL(ReadBuffer(t, kA, kT, 2, 0, 0xFFFFFFFF, b))},
        RefusedCase{"Read10CountTimesSizeWraps",
                    CALL(Read10WithBlockSize(t, kA, kT, 0, 0x10000, 0x10000, b))},
        RefusedCase{"Read12CountTimes2048Wraps", CALL(Read12(t, kA, kT, 0, 0x00200000, b))},
        RefusedCase{"ReadHeaderTimesEightWraps", CALL(ReadHeader(t, kA, kT, 0, 0, 0x20000000, b))},
        RefusedCase{"ReadSubCodeBlocksWraps", CALL(ReadSubCodeBlocks(t, kA, kT, 0xFFFFFFFF, b))},
        RefusedCase{"ReadCdWraps", CALL(ReadCd(t, kA, kT, 0, 0, 0, 0xFFFFFF, 0xFFFFFFFF, b))}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });
#undef CALL

TEST(ReadCdDaMsfTest, LargestTransferJustBelowThirtyTwoBitsIsSent) {
  RecordingTransport drive;
  std::uint8_t buffer[4] = {};
  // FF:FF:FF is 1166880 frames; with 2448-byte sectors that is 2.86 GB, still a 32-bit length.
  EXPECT_EQ(ReadCdDaMsf(drive.transport, kA, kT, 0, 0xFFFFFF, 2, buffer), 1);
  ASSERT_EQ(drive.recorder.commands.size(), 1u);
  EXPECT_EQ(drive.recorder.commands[0].length, 1166880u * 2448u);
}

}  // namespace
}  // namespace korvel::drive
