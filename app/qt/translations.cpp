#include "app/qt/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qimbra {

bool InstallQtTranslations(QCoreApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    const bool loaded = translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
                        translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                                         QStringLiteral("_"), folder);
    if (!loaded) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    return true;
}

}  // namespace qimbra
