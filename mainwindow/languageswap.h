#ifndef LANGUAGESWAP_H
#define LANGUAGESWAP_H

#include <QObject>
#include <QString>

class DisplayTextTable;
class LanguageCatalogue;
class QAbstractButton;
class QComboBox;
class QLabel;
class QPlainTextEdit;

// Swaps the source and target languages together with the two texts, and
// shows which language "Detect language" found for the last translation.
// With "Detect language" chosen, the found language is what goes to the
// target box; until one is known there is nothing to swap.
class LanguageSwap : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        QAbstractButton *button;
        QComboBox *from;
        QComboBox *to;
        QPlainTextEdit *source;
        QPlainTextEdit *result;
        QLabel *detected;
    };

    LanguageSwap(const Controls &controls, const LanguageCatalogue &catalogue,
                 const DisplayTextTable &texts, QObject *parent);

    // A catalogue code, or an empty text when no language is known.
    void setDetectedLanguage(const QString &code);
    QString detectedLanguage() const { return detected; }
    // Names the found language in the current display language.
    void relabel();

public slots:
    void swap();

signals:
    // The user changed both languages.
    void swapped();

private:
    // Index of the source language in the source box, the found one for
    // "Detect language"; 0 when there is none to swap.
    int sourceIndex() const;
    void update();

    Controls ui;
    const LanguageCatalogue &catalogue;
    const DisplayTextTable &texts;
    QString detected;
};

#endif
