#pragma once
// The one place where text crosses between QString and Windows-1251 bytes:
// the server connection, the settings file, the export script and archive
// member names all speak Windows-1251.

#include <QByteArray>
#include <QString>
#include <string_view>

namespace core {

QByteArray toCp1251(const QString& text);
QString fromCp1251(const QByteArray& bytes);
QString fromCp1251(std::string_view bytes);

}  // namespace core
