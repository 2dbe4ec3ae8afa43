#pragma once

#include <QString>

class QWidget;

// The file dialogs of the import and export buttons: they start in the
// user's home folder, and a file to write that was named without an
// extension gets `extension` (without the dot).
namespace user_file_dialog {

// The file to read; empty when cancelled.
QString ChooseFileToRead(QWidget* owner, const QString& filter);
// The file to write; empty when cancelled.
QString ChooseFileToWrite(QWidget* owner, const QString& filter, const QString& extension);
// The path as written to: `extension` added when the name has none.
QString WithExtension(const QString& path, const QString& extension);

}  // namespace user_file_dialog
