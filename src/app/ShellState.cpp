#include "app/ShellState.h"

#include "platform/LocalMessageServer.h"
#include "platform/SocketMessage.h"
#include "platform/WindowMessages.h"

void ShellState::BroadcastToOtherPrograms(const platform::SocketMessage& message) {
  if (server_ != nullptr)
    server_->Broadcast(message);
}

void ShellState::DeliverFromOtherProgram(const platform::SocketMessage& message) {
  const platform::WindowHandle window = MainWindow();
  if (window == 0)
    return;
  if (message.IsCopyData()) {
    platform::CopyDataRecord record;
    record.dwData = static_cast<uintptr_t>(message.dwData);
    record.cbData = static_cast<uint32_t>(message.data.size());
    record.lpData = message.data.constData();
    platform::SendWindowMessage(window, platform::WM_COPYDATA, 0,
                                reinterpret_cast<platform::LParam>(&record));
    return;
  }
  if (auto id = platform::FindMessageName(message.name.toStdString()))
    platform::PostWindowMessage(window, *id, static_cast<platform::WParam>(message.wParam),
                                static_cast<platform::LParam>(message.lParam));
}
