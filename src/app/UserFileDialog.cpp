#include "app/UserFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace user_file_dialog {

QString ChooseFileToRead(QWidget* owner, const QString& filter) {
  return QFileDialog::getOpenFileName(owner, {}, QDir::homePath(), filter);
}

QString ChooseFileToWrite(QWidget* owner, const QString& filter, const QString& extension) {
  return WithExtension(QFileDialog::getSaveFileName(owner, {}, QDir::homePath(), filter), extension);
}

QString WithExtension(const QString& path, const QString& extension) {
  if (path.isEmpty() || extension.isEmpty() || !QFileInfo(path).suffix().isEmpty())
    return path;
  return path + QLatin1Char('.') + extension;
}

}  // namespace user_file_dialog
