#pragma once

#include <QFile>
#include <QString>

#include <string>

// File names travel between Qt and the engine in the file system's own encoding.
inline std::string LocalPath(const QString& name) { return QFile::encodeName(name).toStdString(); }

inline QString DisplayPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
