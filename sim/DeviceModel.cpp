#include "sim/DeviceModel.h"

#include <algorithm>

#include "protocol/CommandFrame.h"

namespace lyra {

namespace {

// Every write but the system record's is acknowledged with the same empty header. The program
// recognises exactly this one (and the system record's), so a different acknowledgement would sit
// unread at the front of its receive text and hold up the replies behind it.
constexpr std::uint8_t kPlainAckGroup = 0x00;
constexpr std::uint8_t kLastParameterGroup = 0x0A;
constexpr std::size_t kNamePayloadBytes = 20;
constexpr std::size_t kBlockFrameBytes = 332;  // a preset block: header, 320 data bytes, checksum, 0xAA

double limitCelsius(const SystemRecordBytes& record) {
  // Limit index 0..30 stands for 70, 68, ... 10 degrees.
  const int index = std::min<int>(record[system_record::kTemperatureLimit], 30);
  return 70.0 - 2.0 * index;
}

}  // namespace

DeviceModel::DeviceModel(SimBus& bus, std::string port, int deviceId, std::uint32_t seed)
    : bus_(bus),
      port_(std::move(port)),
      memory_(DeviceMemory::factory(deviceId)),
      status_(seed),
      random_(seed ^ 0x5EED5EEDu) {
  reader_.onFrame = [this](const ReceivedFrame& f) { frameReceived(f); };
  bus_.attach(port_, this);
}

DeviceModel::~DeviceModel() {
  bus_.scheduler().cancel(moveToken_);
  bus_.detach(port_, this);
}

void DeviceModel::byteFromProgram(std::uint8_t byte) {
  reader_.byteReceived(byte, bus_.scheduler().nowUs());
}

void DeviceModel::frameReceived(const ReceivedFrame& f) {
  const bool broadcast = f.busAddress == kBroadcastAddress;
  if (!broadcast && f.busAddress != busAddress()) return;
  ++framesTaken_;
  if (onTraffic) onTraffic(false, f.bytes);
  if (f.command == command::kRead)
    handleRead(f);
  else
    handleWrite(f, broadcast);
}

void DeviceModel::handleRead(const ReceivedFrame& f) {
  const std::uint8_t n = f.index;
  switch (f.group) {
    case group::kStatusRecord: {
      status_.advanceTo(bus_.scheduler().nowUs(), limitCelsius(memory_.systemRecord));
      const auto record = status_.record();
      reply(command::kReadReply, 0, f.group, record);
      return;
    }
    case group::kSystemRecord:
      reply(command::kReadReply, 0, f.group, memory_.systemRecord);
      return;
    case group::kPresetData:
      if (n > kPresetSlotCount) return;
      // Index 0 reads the active preset; 1..8 first make that slot the active one.
      if (n > 0) memory_.loadSlot(n);
      reply(command::kReadReply, n, f.group, memory_.active, kMemoryReadUs);
      return;
    case group::kStoredBlock:
      if (n < 1 || n > kStoredBlockCount) return;
      reply(command::kReadReply, n, f.group, memory_.blocks[n - 1u], kMemoryReadUs);
      return;
    case group::kNameTable: {
      if (faults_.ignoreNameTableRead) return;
      const auto table = memory_.nameTable();
      reply(command::kReadReply, 0, f.group, table, kMemoryReadUs);
      return;
    }
    default:
      return;  // nothing the device can be asked for
  }
}

void DeviceModel::handleWrite(const ReceivedFrame& f, bool broadcast) {
  const auto& p = f.payload;
  if (f.group <= kLastParameterGroup) {
    if (f.index != 0 || p.size() != kRowBytes) return;
    if (!memory_.writeRow(f.group, f.item,
                          std::span<const std::uint8_t, kRowBytes>(p.data(), kRowBytes)))
      return;
    if (!broadcast) acknowledge(kPlainAckGroup);
    return;
  }
  switch (f.group) {
    case group::kSystemRecord:
      if (p.size() == kSystemRecordBytes) writeSystemRecord(f, broadcast);
      return;
    case group::kUserPresetName:
      if ((f.index != kFirstUserSlot && f.index != kFirstUserSlot + 1) ||
          p.size() != kNamePayloadBytes)
        return;
      memory_.saveToUserSlot(f.index,
                             std::span<const std::uint8_t, kNameBytes>(p.data(), kNameBytes));
      if (!broadcast) acknowledge(kPlainAckGroup);
      return;
    case group::kPresetData:
      // Only the active preset can be uploaded; the slots are filled by a name save.
      if (f.index != 0 || p.size() != kPresetDataBytes) return;
      std::copy(p.begin(), p.end(), memory_.active.begin());
      return;
    case group::kStoredBlock:
      if (f.index < 1 || f.index > kStoredBlockCount || p.size() != kPresetDataBytes) return;
      std::copy(p.begin(), p.end(), memory_.blocks[f.index - 1u].begin());
      return;
    default:
      return;
  }
}

void DeviceModel::writeSystemRecord(const ReceivedFrame& f, bool broadcast) {
  // A move still waiting for its acknowledgement to leave happens now.
  if (moveToken_ != 0) {
    bus_.scheduler().cancel(moveToken_);
    moveToken_ = 0;
    memory_.systemRecord[system_record::kDeviceId] = static_cast<std::uint8_t>(pendingDeviceId_);
  }
  const int oldId = memory_.deviceId();
  // DeviceId 0 would put the device on BusAddress 0xFF, where it could never be told apart from
  // a broadcast: the device keeps its DeviceId then and takes the rest of the record.
  const int newId =
      f.payload[system_record::kDeviceId] == 0 ? oldId : f.payload[system_record::kDeviceId];
  std::copy(f.payload.begin(), f.payload.end(), memory_.systemRecord.begin());
  memory_.systemRecord[system_record::kDeviceId] = static_cast<std::uint8_t>(oldId);
  if (broadcast) {
    memory_.systemRecord[system_record::kDeviceId] = static_cast<std::uint8_t>(newId);
    return;
  }
  const std::int64_t doneUs = reply(command::kAcknowledge, 0, group::kSystemRecord, {});
  pendingDeviceId_ = newId;
  moveToken_ = bus_.scheduler().post(doneUs - bus_.scheduler().nowUs(), [this] {
    moveToken_ = 0;
    memory_.systemRecord[system_record::kDeviceId] = static_cast<std::uint8_t>(pendingDeviceId_);
  });
}

void DeviceModel::acknowledge(std::uint8_t groupByte) {
  reply(command::kAcknowledge, 0, groupByte, {});
}

std::int64_t DeviceModel::reply(std::uint8_t commandByte, std::uint8_t index,
                                std::uint8_t groupByte, std::span<const std::uint8_t> payload,
                                std::int64_t extraUs) {
  const std::int64_t nowUs = bus_.scheduler().nowUs();
  if (faults_.silent) return nowUs;
  const Frame frame = buildFrame(busAddress(), commandByte, index, groupByte, 0, payload);
  ++repliesSent_;
  if (onTraffic) onTraffic(true, frame);

  std::uniform_int_distribution<std::int64_t> jitter(0, kTurnaroundJitterUs);
  std::int64_t readyUs = nowUs + kTurnaroundUs + jitter(random_) + extraUs + faults_.lateByUs;
  if (faults_.gatherRepliesUs > 0) {
    // Ready before the gathered packet leaves: it goes with it, behind what it holds.
    if (readyUs > gatherSendUs_) gatherSendUs_ = readyUs + faults_.gatherRepliesUs;
    readyUs = gatherSendUs_;
  }
  const std::int64_t startUs = std::max(readyUs, lineFreeUs_);
  for (int pass = faults_.answersTwice ? 2 : 1; pass > 0; --pass) {
    sendOnLine(frame, std::max(startUs, lineFreeUs_), nowUs);
  }
  return lineFreeUs_;
}

void DeviceModel::sendOnLine(const std::vector<std::uint8_t>& frame, std::int64_t startUs, std::int64_t nowUs) {
  lineFreeUs_ = startUs + SimBus::byteTimeUs(static_cast<std::int64_t>(frame.size()));

  // Each byte keeps its place in time; a lost byte leaves a gap, as on a real line.
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  std::uniform_int_distribution<int> bit(0, 7);
  std::vector<std::uint8_t> run;
  std::size_t runStart = 0;
  auto flush = [&](std::size_t next) {
    if (!run.empty())
      bus_.sendToProgram(port_, run,
                         startUs - nowUs + SimBus::byteTimeUs(static_cast<std::int64_t>(runStart)),
                         this);
    run.clear();
    runStart = next;
  };
  for (std::size_t k = 0; k < frame.size(); ++k) {
    if (faults_.dropRate > 0 && chance(random_) < faults_.dropRate) {
      flush(k + 1);
      continue;
    }
    std::uint8_t byte = frame[k];
    if (faults_.corruptRate > 0 && chance(random_) < faults_.corruptRate)
      byte = static_cast<std::uint8_t>(byte ^ (1u << bit(random_)));
    if (faults_.damagedBlockByte > 0 && k == faults_.damagedBlockByte &&
        frame.size() == kBlockFrameBytes)
      byte = static_cast<std::uint8_t>(byte ^ 1u);
    run.push_back(byte);
  }
  flush(frame.size());
}

}  // namespace lyra
