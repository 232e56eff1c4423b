#include "app/TranslationStartup.h"

#include "app/AppSettings.h"
#include "ui/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void LoadTranslation(AppSettings& settings)
{
    QString chosen;
    auto t = ui::loadTranslation(settings.Folder(AppSettings::LanguageFolder), settings.ReadString("EDITOR", "MUI"),
                                 ui::systemLanguageId(), &chosen);
    if (!chosen.isEmpty())
        settings.WriteString("EDITOR", "MUI", chosen);
    ui::installTranslation(t);
    // The standard buttons' captions come from the toolkit's own translation.
    static QTranslator* toolkit = nullptr;
    if (t && !toolkit && QCoreApplication::instance()) {
        auto* tr = new QTranslator(QCoreApplication::instance());
        if (tr->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(tr);
            toolkit = tr;
        } else {
            delete tr;
        }
    }
}
