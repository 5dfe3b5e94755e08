#include "ui/translation.h"

#include <QCoreApplication>

namespace tomokari {

std::unique_ptr<QTranslator> installQtTranslation(const QString& directory) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_ja"), directory) || !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    return translator;
}

}  // namespace tomokari
