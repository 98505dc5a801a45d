#include "ui/EditHelpers.h"

#include "dataset/DBCheckBox.h"
#include "dataset/EditMask.h"
#include "dataset/Field.h"
#include "dataset/Table.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPen>
#include <QWidget>

#include <typeinfo>

namespace ui {

namespace {

// The rent field is formatted by the lease window itself.
constexpr char kUndottedField[] = "BailStd_D_LOYER";

// Draws a dotted one-pixel rectangle along its edges and lets everything else show through.
class TFrameOverlay : public QWidget {
public:
    explicit TFrameOverlay(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        // Alternate pixels, like the platform's focus rectangle.
        QPen pen(palette().color(QPalette::WindowText), 0, Qt::CustomDashLine);
        pen.setDashPattern({1, 1});
        p.setPen(pen);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

} // namespace

QString FieldComponentName(const dataset::TField &field)
{
    const dataset::TTable &table = field.DataSet();
    QString owner = table.objectName();
    if (owner.isEmpty())
        owner = QFileInfo(table.TableName()).completeBaseName();
    return owner + QLatin1Char('_') + field.FieldName();
}

void ApplyDottedEditMasks(dataset::TTable &table)
{
    for (int i = 0; i < table.FieldCount(); ++i) {
        dataset::TField &field = *table.Fields(i);
        const dataset::TFieldType type = field.DataType();
        if (type != dataset::TFieldType::String && type != dataset::TFieldType::Date)
            continue;
        // Component names are not case-sensitive, and table files come in any case.
        if (FieldComponentName(field).compare(QLatin1String(kUndottedField), Qt::CaseInsensitive) == 0)
            continue;
        field.SetEditMask(dataset::TEditMask::Dotted(field.EditMask(), field.Size()));
    }
}

void HookCheckBoxes(QWidget &window, TCheckBoxAction enter, TCheckBoxAction exit)
{
    for (dataset::TDBCheckBox *box : window.findChildren<dataset::TDBCheckBox *>()) {
        if (typeid(*box) != typeid(dataset::TDBCheckBox))
            continue;
        box->OnEnter = enter;
        box->OnExit = exit;
        box->setFixedSize(15, 15);
    }
}

TFocusFrame::TFocusFrame(QWidget &window)
    : QObject(&window)
    , m_window(window)
{
}

TFocusFrame::~TFocusFrame()
{
    delete m_overlay.data();
}

QWidget *TFocusFrame::FrameParent() const
{
    return m_rect.isNull() || !m_overlay ? nullptr : m_overlay->parentWidget();
}

void TFocusFrame::Draw()
{
    QWidget *control = m_window.focusWidget();
    if (!control || control == &m_window || !control->parentWidget())
        return;
    Erase();
    QWidget *parent = control->parentWidget();
    if (!m_overlay)
        m_overlay = new TFrameOverlay(parent);
    else if (m_overlay->parentWidget() != parent)
        m_overlay->setParent(parent);
    m_rect = control->geometry().adjusted(-1, -1, 1, 1);
    m_overlay->setGeometry(m_rect);
    m_overlay->raise();
    m_overlay->show();
}

void TFocusFrame::Erase()
{
    if (m_overlay)
        m_overlay->hide();
    m_rect = QRect();
}

void TFocusFrame::HookCheckBoxes()
{
    ui::HookCheckBoxes(
        m_window, [this](dataset::TDBCheckBox &) { Draw(); }, [this](dataset::TDBCheckBox &) { Erase(); });
}

bool AmountKeyFilter(QObject *edit, QKeyEvent *event)
{
    const QString t = event->text();
    if (t == QLatin1String("e") || t == QLatin1String("E"))
        return true;
    if (t != QLatin1String(".") && t != QLatin1String(","))
        return false;
    const QString separator = QLocale().decimalPoint();
    if (static_cast<QLineEdit *>(edit)->text().contains(separator))
        return true;
    if (t == separator)
        return false;
    QKeyEvent replaced(QEvent::KeyPress, separator == QLatin1String(",") ? Qt::Key_Comma : Qt::Key_Period,
                       event->modifiers(), separator);
    QCoreApplication::sendEvent(edit, &replaced);
    return true;
}

} // namespace ui
