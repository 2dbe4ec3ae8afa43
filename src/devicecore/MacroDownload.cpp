#include "devicecore/MacroDownload.h"

#include "devicecore/DeviceCore.h"
#include "macros/MacroFile.h"
#include "macros/MacroImage.h"
#include "macros/MacroList.h"

namespace macro_download {

Plan PlanImage(const std::vector<int>& used, const QString& folder, size_t capacity) {
  const std::vector<macros::MacroListEntry> list =
      macros::ReadMacroList(folder + QLatin1String(macros::kMacroListFile));
  std::vector<std::vector<macros::MacroEvent>> events;
  for (int index : used) {
    if (index < 0 || index >= static_cast<int>(list.size()))
      continue;
    events.push_back(
        macros::ReadMacroFile(macros::MacroFilePath(folder, list[static_cast<size_t>(index)].Guid)).Events);
  }
  Plan plan;
  if (events.empty())
    return plan;
  std::vector<size_t> counts;
  for (const auto& macro : events)
    counts.push_back(macro.size());
  const int overflow = macros::MacroOverflow(macros::MacroImageSize(counts), capacity);
  if (overflow > 0) {
    plan.result = overflow;
    return plan;
  }
  plan.image = macros::BuildMacroImage(events);
  if (plan.image.empty())
    plan.result = -1;
  return plan;
}

void SendImage(DeviceCore& core, std::vector<uint8_t> image,
               std::function<void(std::optional<protocol::DeviceInfo>, int)> done) {
  struct Sent {
    int result = 0;
    std::optional<protocol::DeviceInfo> info;
  };
  core.Run<Sent>(
      [&core, image = std::move(image)] {
        Sent out;
        if (!core.Commands.IsOpen)
          return out;
        protocol::DeviceInfo::Bytes infoBytes{};
        if (core.Commands.ReadDeviceInfo(infoBytes) == 1)
          out.info = protocol::DeviceInfo::Decode(infoBytes);
        if (out.info && image.size() > out.info->MacroBytes())
          return out;
        const int begun = core.Commands.BeginTransfer();
        const int written = core.Commands.WriteMacroData(image);
        const int ended = core.Commands.EndTransfer();
        out.result = begun == 1 && written == 1 && ended == 1 ? 1 : 0;
        return out;
      },
      [done = std::move(done)](const Sent& sent) {
        if (done)
          done(sent.info, sent.result);
      });
}

}  // namespace macro_download
