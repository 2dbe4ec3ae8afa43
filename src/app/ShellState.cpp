#include "app/ShellState.h"

#include "platform/LocalMessageServer.h"

void ShellState::BroadcastToOtherPrograms(const platform::SocketMessage& message) {
  if (server_ != nullptr)
    server_->Broadcast(message);
}
