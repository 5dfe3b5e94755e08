#pragma once
// Qt's own texts in Japanese: the buttons of its boxes and the text boxes' context menus
// (元に戻す, 切り取り, コピー, 貼り付け …), from the translation that Qt ships.

#include <QLibraryInfo>
#include <QString>
#include <QTranslator>
#include <memory>

namespace tomokari {

// Installs qtbase_ja.qm from `directory` on the application for as long as the returned
// translator lives. Null where the file is missing or unreadable: Qt's texts then stay English
// and the program runs all the same.
std::unique_ptr<QTranslator> installQtTranslation(
    const QString& directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath));

}  // namespace tomokari
