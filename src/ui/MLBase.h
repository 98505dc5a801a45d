#pragma once
// The translation component of a window: a word list with one row per translatable text
// (a component name, then its text in each language) that is written into the window's
// controls when the active language changes. Every live instance is registered so that
// the whole user interface can switch at once; a window created later comes up in the
// process-wide current language.
//
// Word list: flattened rows of Languages() + 1 entries: the row name, then the text of
// language 0, 1, ... Row names: "%Form%" (the window's caption), the objectName of a
// control, menu action or other QObject of the window (matched without regard to case),
// or the name of one of its table fields as ui::FieldComponentName gives it (the field's
// display label), a lone double quote (a continuation row: the next item of the list-like
// property of the component above), a double quote followed by ".Hint" (the hint of the
// component above), anything else (skipped).
//
// Languages in this system: 0 French, 1 English.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include <QWidget>

namespace ui {

enum class TSwitchPositions { spNone, spControlsOnly, spFormAndControls };
enum class TTranslateEdits { teNever, teReadOnly, teAlways };

class TBaseMultiLang : public QObject {
    Q_OBJECT
public:
    // A component of owner (its QObject child), registered until destroyed. Unless the
    // window calls Loaded() itself, the first time owner is shown the process-wide
    // current language is applied (the "loaded" step).
    explicit TBaseMultiLang(QWidget *owner);
    ~TBaseMultiLang() override;

    QWidget *Owner() const { return m_owner; }
    static QString About();

    // Events. BeforeLanguageChange may answer allowIt = false to cancel a switch;
    // IdNotFoundError may replace the result of a lookup whose name is absent.
    std::function<void(TBaseMultiLang &, int newLanguage, bool &allowIt)> BeforeLanguageChange;
    std::function<void(TBaseMultiLang &, int newLanguage)> AfterLanguageChanged;
    std::function<void(TBaseMultiLang &, const QString &id, QString &res)> IdNotFoundError;

    // Language whose text replaces an empty one when DefaultEnabled() is set. Setting a
    // value not below Languages() shows the out-of-range message and changes nothing; a
    // different value re-applies the active language.
    int DefaultLanguage() const { return m_defaultLanguage; }
    void SetDefaultLanguage(int language);
    // Whether empty texts fall back to the default language; a change re-applies the
    // active language.
    bool DefaultEnabled() const { return m_defaultEnabled; }
    void SetDefaultEnabled(bool enabled);
    // Number of languages L (1 to 255); each word-list row has L + 1 entries.
    int Languages() const { return m_languages; }
    void SetLanguages(int languages);
    // The language shown. Setting a value not below Languages() shows "Value must not be
    // higher than\rnumber of available languages." (information box, Cancel button) and
    // changes nothing; otherwise the switch runs (hooks, font, positions, word list), even
    // when the value is the active one.
    int ActiveLanguage() const { return m_activeLanguage; }
    void SetActiveLanguage(int language);

    const QStringList &Words() const { return m_words; }
    void SetWords(const QStringList &words) { m_words = words; }
    // Kept with the component; translation does not consult it.
    const QStringList &DoNot() const { return m_doNot; }
    void SetDoNot(const QStringList &doNot) { m_doNot = doNot; }
    TSwitchPositions SwitchPositions() const { return m_switchPositions; }
    void SetSwitchPositions(TSwitchPositions mode) { m_switchPositions = mode; }
    // Which edits (line edits, memos) take their text from the word list.
    TTranslateEdits TranslateEdits() const { return m_translateEdits; }
    void SetTranslateEdits(TTranslateEdits mode) { m_translateEdits = mode; }
    // Per language positions: "name,l.t.w.h,l.t.w.h" (lower-cased name or "%Form%").
    const QStringList &Positions() const { return m_positions; }
    void SetPositions(const QStringList &positions) { m_positions = positions; }
    // One entry per language: a font family, a comma and a character set number, e.g.
    // "MS Sans Serif,1". The switch stores the owner's font under the old language and
    // applies the new language's family to the owner (and so to its controls).
    const QStringList &CharSets() const { return m_charSets; }
    void SetCharSets(const QStringList &charSets) { m_charSets = charSets; }
    // Character set number of the owner's font (fonts carry none on this platform).
    int OwnerCharSet() const { return m_ownerCharSet; }

    // The text of the row named name (without regard to case) in language (the active
    // language when out of range), with the default-language fallback. An absent name
    // gives the name in lower case, which IdNotFoundError may replace.
    QString Lookup(const QString &name, int language = -1);

    // Applies the process-wide current language; a window calls it once its controls and
    // word list exist (otherwise it runs when the owner is first shown).
    void Loaded();
    bool IsLoaded() const { return m_loaded; }

    // Every registered instance whose Languages() exceeds language switches to it; then
    // the process-wide current language becomes language.
    static void SetAllLanguages(int language);
    static int CurrentLanguage();
    // The live instances, in creation order.
    static std::vector<TBaseMultiLang *> Instances();

    // The out-of-range message, in the text the component shows.
    static QString OutOfRangeMessage();

protected:
    // Writes the texts of component starting at its own row position; leaves position
    // after the last row consumed (at least after the component's own row).
    virtual void TranslateComponent(QObject &component, int &position) = 0;
    // A row name that is no QObject of the owner: true (position moved on) when an
    // override translated something under that name.
    virtual bool TranslateUnnamed(const QString &name, int &position);

    // Taking the next text: the entry of language N of the row at position (or of the
    // default language when that is empty and DefaultEnabled), then position moves one row
    // on. False, nothing consumed, when the row has no entry for N.
    bool TakeText(int &position, QString &text) const;
    // Row kinds at position (false beyond the list).
    bool IsContinuationRow(int position) const;
    bool IsHintRow(int position) const;
    int RowSize() const { return m_languages + 1; }
    int EntryCount() const { return int(m_words.size()); }
    // The text of language of the row at position, fallback applied.
    QString RowText(int position, int language) const;
    bool PositionsSwitched() const { return m_switchPositions != TSwitchPositions::spNone; }
    // The stored geometry of the component named name under language; false when none.
    bool StoredPosition(const QString &name, int language, QRect &rect) const;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ApplyLanguage(int language);
    void Reapply();
    bool CheckRange(int language) const;
    void SaveFont();
    void ApplyFont(int language);
    void StorePosition(const QString &name, int language, const QRect &rect);
    void StorePositions(int language);
    void RestoreFormPosition(int language);
    void WalkWords(int language);

    QPointer<QWidget> m_owner;
    int m_defaultLanguage = 0;
    bool m_defaultEnabled = false;
    int m_languages = 2;
    int m_activeLanguage = 0;
    QStringList m_words;
    QStringList m_doNot;
    TSwitchPositions m_switchPositions = TSwitchPositions::spNone;
    TTranslateEdits m_translateEdits = TTranslateEdits::teReadOnly;
    QStringList m_positions;
    QStringList m_charSets;
    int m_ownerCharSet = 1;   // the platform default character set
    bool m_loaded = false;    // the process-wide language has been applied once
};

} // namespace ui
