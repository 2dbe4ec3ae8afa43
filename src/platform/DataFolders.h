#pragma once

#include <QString>

namespace platform {

// The program's folders. Every path ends with "/"; a folder that is missing is
// created when asked for.
class DataFolders {
 public:
  // The product name, also the name of the user's data folder.
  static constexpr const char* kProductName = "RUDAVAVE DADAV UDU417";

  // The program's folder: beside the executable, or share/travix when installed.
  static QString ProgramDir();
  // Read-only templates: ProgramDir() + "DefaultData/".
  static QString DefaultDataDir();
  // $XDG_DATA_HOME (default ~/.local/share) + product name + "/".
  static QString UserDataDir();
  // UserDataDir() + kindName + "/" ("mouse", "keyboard", "MousePad", "HD").
  static QString DeviceFolder(const QString& kindName);

  // Tests and the installed layout may point the program folder elsewhere.
  static void SetProgramDir(const QString& dir);

 private:
  static QString Ensure(const QString& dir);
};

}  // namespace platform
