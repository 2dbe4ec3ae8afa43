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

  // The device folders under UserDataDir(), one per kind of device.
  static constexpr const char* kDeviceFolderNames[] = {"mouse", "keyboard", "MousePad", "HD"};

  // Removes the temporary files that saves cut short by a kill or a crash
  // left in the user data folder and its device folders (not deeper, and
  // never through a link). Call once at start, after this process is known
  // to be the only instance: another one's save in progress would lose its
  // temporary file. Returns how many files were removed.
  static int RemoveLeftoverTemporaryFiles();

 private:
  static QString Ensure(const QString& dir);
};

}  // namespace platform
