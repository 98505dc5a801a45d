#include "ui/MLBase.h"

#include "ui/Accessibility.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QHash>
#include <QWidget>

#include <algorithm>

namespace ui {

namespace {

const QString kFormRow = QStringLiteral("%Form%");
const QString kContinuation = QStringLiteral("\"");
const QString kHintRow = QStringLiteral("\".Hint");

std::vector<TBaseMultiLang *> &Registry()
{
    static std::vector<TBaseMultiLang *> instances;
    return instances;
}

int g_currentLanguage = 0;

QString RectText(const QRect &r)
{
    return QStringLiteral("%1.%2.%3.%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

bool ParseRect(const QString &text, QRect &out)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    out = QRect(v[0], v[1], v[2], v[3]);
    return true;
}

} // namespace

TBaseMultiLang::TBaseMultiLang(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
{
    Registry().push_back(this);
    if (owner)
        owner->installEventFilter(this);
}

TBaseMultiLang::~TBaseMultiLang()
{
    auto &r = Registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

QString TBaseMultiLang::About()
{
    return QStringLiteral("Translation component 1.0");
}

QString TBaseMultiLang::OutOfRangeMessage()
{
    return QStringLiteral("Value must not be higher than\rnumber of available languages.");
}

bool TBaseMultiLang::CheckRange(int language) const
{
    if (language >= 0 && language < m_languages)
        return true;
    ShowMessageBox(QMessageBox::Information, QApplication::applicationDisplayName(), OutOfRangeMessage(),
                   QMessageBox::Cancel, QMessageBox::Cancel, m_owner);
    return false;
}

void TBaseMultiLang::SetLanguages(int languages)
{
    m_languages = std::clamp(languages, 1, 255);
    m_activeLanguage = std::min(m_activeLanguage, m_languages - 1);
    m_defaultLanguage = std::min(m_defaultLanguage, m_languages - 1);
}

void TBaseMultiLang::SetActiveLanguage(int language)
{
    if (!CheckRange(language))
        return;
    ApplyLanguage(language);
}

void TBaseMultiLang::SetDefaultLanguage(int language)
{
    if (!CheckRange(language) || language == m_defaultLanguage)
        return;
    m_defaultLanguage = language;
    Reapply();
}

void TBaseMultiLang::SetDefaultEnabled(bool enabled)
{
    if (enabled == m_defaultEnabled)
        return;
    m_defaultEnabled = enabled;
    Reapply();
}

void TBaseMultiLang::Reapply()
{
    ApplyLanguage(m_activeLanguage);
}

void TBaseMultiLang::ApplyLanguage(int language)
{
    bool allow = true;
    if (BeforeLanguageChange)
        BeforeLanguageChange(*this, language, allow);
    if (!allow)
        return;
    SaveFont();
    if (PositionsSwitched())
        StorePositions(m_activeLanguage);
    m_activeLanguage = language;
    ApplyFont(language);
    if (PositionsSwitched())
        RestoreFormPosition(language);
    WalkWords(language);
    if (AfterLanguageChanged)
        AfterLanguageChanged(*this, language);
    // Controls named by their hint or caption follow the new texts.
    if (m_owner)
        NameControls(*m_owner);
}

void TBaseMultiLang::SaveFont()
{
    if (!m_owner)
        return;
    const QString current = m_owner->font().family() + QLatin1Char(',') + QString::number(m_ownerCharSet);
    while (m_charSets.size() < m_languages)
        m_charSets << current;
    m_charSets[m_activeLanguage] = current;
}

void TBaseMultiLang::ApplyFont(int language)
{
    if (!m_owner || language >= m_charSets.size())
        return;
    const QString &entry = m_charSets[language];
    const qsizetype comma = entry.indexOf(QLatin1Char(','));
    const QString family = (comma < 0 ? entry : entry.left(comma)).trimmed();
    if (comma >= 0) {
        bool ok = false;
        const int charSet = entry.mid(comma + 1).trimmed().toInt(&ok);
        if (ok)
            m_ownerCharSet = charSet;
    }
    if (family.isEmpty() || family == m_owner->font().family())
        return;
    // Fontconfig substitutes families the machine lacks, so any name gives a usable font.
    QFont f = m_owner->font();
    f.setFamily(family);
    m_owner->setFont(f);
}

bool TBaseMultiLang::StoredPosition(const QString &name, int language, QRect &rect) const
{
    const QString key = name.toLower();
    for (const QString &entry : m_positions) {
        const QStringList parts = entry.split(QLatin1Char(','));
        if (parts.isEmpty() || parts[0].compare(key, Qt::CaseInsensitive) != 0)
            continue;
        return language + 1 < parts.size() && ParseRect(parts[language + 1], rect);
    }
    return false;
}

void TBaseMultiLang::StorePosition(const QString &name, int language, const QRect &rect)
{
    const QString key = name == kFormRow ? name : name.toLower();
    qsizetype row = -1;
    for (qsizetype i = 0; i < m_positions.size(); ++i)
        if (m_positions[i].section(QLatin1Char(','), 0, 0).compare(key, Qt::CaseInsensitive) == 0) {
            row = i;
            break;
        }
    QStringList parts = row >= 0 ? m_positions[row].split(QLatin1Char(',')) : QStringList{key};
    // A language never stored takes the current position, so every entry parses.
    while (parts.size() < m_languages + 1)
        parts << RectText(rect);
    parts[language + 1] = RectText(rect);
    if (row >= 0)
        m_positions[row] = parts.join(QLatin1Char(','));
    else
        m_positions << parts.join(QLatin1Char(','));
}

void TBaseMultiLang::StorePositions(int language)
{
    if (!m_owner)
        return;
    if (m_switchPositions == TSwitchPositions::spFormAndControls)
        StorePosition(kFormRow, language, m_owner->geometry());
    for (QWidget *w : m_owner->findChildren<QWidget *>())
        if (!w->objectName().isEmpty() && !w->isWindow())
            StorePosition(w->objectName(), language, w->geometry());
}

void TBaseMultiLang::RestoreFormPosition(int language)
{
    QRect r;
    if (m_owner && m_switchPositions == TSwitchPositions::spFormAndControls && StoredPosition(kFormRow, language, r))
        m_owner->setGeometry(r);
}

QString TBaseMultiLang::RowText(int position, int language) const
{
    const int at = position + language + 1;
    if (at < 0 || at >= m_words.size())
        return QString();
    const QString &text = m_words[at];
    if (text.isEmpty() && m_defaultEnabled) {
        const int def = position + m_defaultLanguage + 1;
        return def < m_words.size() ? m_words[def] : QString();
    }
    return text;
}

bool TBaseMultiLang::TakeText(int &position, QString &text) const
{
    if (position < 0 || position + m_activeLanguage + 1 >= m_words.size())
        return false;
    text = RowText(position, m_activeLanguage);
    position += RowSize();
    return true;
}

bool TBaseMultiLang::IsContinuationRow(int position) const
{
    return position >= 0 && position < m_words.size() && m_words[position] == kContinuation;
}

bool TBaseMultiLang::IsHintRow(int position) const
{
    return position >= 0 && position < m_words.size()
        && m_words[position].compare(kHintRow, Qt::CaseInsensitive) == 0;
}

bool TBaseMultiLang::TranslateUnnamed(const QString &, int &)
{
    return false;
}

void TBaseMultiLang::WalkWords(int language)
{
    if (!m_owner)
        return;
    // One pass over the owner's objects: the first one of each name, as a search by name
    // would find it.
    QHash<QString, QObject *> byName;
    if (!m_owner->objectName().isEmpty())
        byName.insert(m_owner->objectName().toLower(), m_owner);
    for (QObject *o : m_owner->findChildren<QObject *>()) {
        if (o == this || o->objectName().isEmpty())
            continue;
        const QString key = o->objectName().toLower();
        if (!byName.contains(key))
            byName.insert(key, o);
    }
    const int row = RowSize();
    int p = 0;
    while (p < m_words.size()) {
        const QString &name = m_words[p];
        if (name == kFormRow) {
            m_owner->setWindowTitle(RowText(p, language));
            p += row;
            continue;
        }
        QObject *component = nullptr;
        if (name != kContinuation && !IsHintRow(p))
            component = byName.value(name.toLower());
        const int start = p;
        try {
            if (component) {
                TranslateComponent(*component, p);
            } else if (name == kContinuation || IsHintRow(p) || !TranslateUnnamed(name, p)) {
                p += row;
            }
        } catch (...) {
            // A component that fails keeps what it had; the rest of the list still applies.
            p = start + row;
        }
        p = std::max(p, start + row);
    }
}

QString TBaseMultiLang::Lookup(const QString &name, int language)
{
    if (language < 0 || language >= m_languages)
        language = m_activeLanguage;
    for (int p = 0; p < m_words.size(); p += RowSize())
        if (m_words[p].compare(name, Qt::CaseInsensitive) == 0)
            return RowText(p, language);
    QString res = name.toLower();
    if (IdNotFoundError)
        IdNotFoundError(*this, name.toLower(), res);
    return res;
}

void TBaseMultiLang::Loaded()
{
    m_loaded = true;
    if (g_currentLanguage < m_languages)
        SetActiveLanguage(g_currentLanguage);
}

bool TBaseMultiLang::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_owner && event->type() == QEvent::Show && !m_loaded)
        Loaded();
    return QObject::eventFilter(watched, event);
}

void TBaseMultiLang::SetAllLanguages(int language)
{
    if (language < 0 || language > 255)
        return;
    // A switch may create or destroy windows: walk a copy, skipping the ones gone.
    const std::vector<TBaseMultiLang *> instances = Registry();
    for (TBaseMultiLang *m : instances) {
        const auto &r = Registry();
        if (std::find(r.begin(), r.end(), m) == r.end())
            continue;
        if (m->Languages() > language)
            m->SetActiveLanguage(language);
    }
    g_currentLanguage = language;
}

int TBaseMultiLang::CurrentLanguage()
{
    return g_currentLanguage;
}

std::vector<TBaseMultiLang *> TBaseMultiLang::Instances()
{
    return Registry();
}

} // namespace ui
