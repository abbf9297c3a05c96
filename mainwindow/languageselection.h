#ifndef LANGUAGESELECTION_H
#define LANGUAGESELECTION_H

#include <QString>

class LanguageCatalogue;
class QComboBox;
class UserDataFiles;

// The two language boxes and the display language as the user left them:
// filled from the catalogue, restored from from_to.db at start and written
// back whenever the user changes one of them.
class LanguageSelection
{
public:
    LanguageSelection(QComboBox *from, QComboBox *to, const LanguageCatalogue &catalogue,
                      const UserDataFiles &files);

    // Fills both boxes, picks the locale's target and applies what was
    // stored; returns the stored display language.
    int restore(const QString &localeName);
    void save(int displayLanguage) const;

private:
    QComboBox *from;
    QComboBox *to;
    const LanguageCatalogue &catalogue;
    const UserDataFiles &files;
};

#endif
