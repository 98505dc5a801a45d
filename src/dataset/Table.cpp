#include "dataset/Table.h"

#include "dataset/Common.h"
#include "dataset/DataSource.h"
#include "dbase/Cursor.h"
#include "dbase/Database.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"

#include <QFileInfo>

#include <algorithm>

namespace dataset {

using dbase::EDBEngineError;

namespace {

TFieldType TypeOf(const dbase::FieldDef &f)
{
    switch (f.type) {
    case dbase::FieldType::Logical: return TFieldType::Boolean;
    case dbase::FieldType::Date: return TFieldType::Date;
    case dbase::FieldType::Numeric:
    case dbase::FieldType::Float:
        if (f.decimals == 0 && f.width <= 6)
            return TFieldType::SmallInt;
        if (f.decimals == 0 && f.width <= 9)
            return TFieldType::Integer;
        return TFieldType::Float;
    default: return TFieldType::String;
    }
}

// Keys no row can lie between: a range that shows nothing.
std::pair<dbase::KeyBytes, dbase::KeyBytes> EmptyRange(const dbase::TagInfo &tag)
{
    switch (tag.type) {
    case dbase::KeyType::Numeric: return {dbase::EncodeNumericKey(1), dbase::EncodeNumericKey(0)};
    case dbase::KeyType::Date: return {dbase::EncodeDateKey(2), dbase::EncodeDateKey(1)};
    case dbase::KeyType::Character: break;
    }
    return {dbase::KeyBytes(size_t(tag.keyLength), '\xFF'), dbase::KeyBytes(size_t(tag.keyLength), '\0')};
}

// Restores a value when the scope ends, also on exceptions.
template <typename T>
class TRestore {
public:
    TRestore(T &ref, T value) : m_ref(ref), m_saved(ref) { m_ref = value; }
    ~TRestore() { m_ref = m_saved; }
    TRestore(const TRestore &) = delete;
    TRestore &operator=(const TRestore &) = delete;

private:
    T &m_ref;
    T m_saved;
};

} // namespace

TTable::TTable(QObject *parent)
    : QObject(parent)
{
}

TTable::~TTable()
{
    QObject::disconnect(m_masterConnection);
    QObject::disconnect(m_masterGone);
    m_state = TDataSetState::Inactive;
    // Controls drop their field pointers before the fields go.
    const std::vector<TDataSource *> sources = m_sources;
    for (TDataSource *s : sources)
        s->Detach();
    m_sources.clear();
}

QString TTable::DisplayName() const
{
    return QFileInfo(m_tableName).fileName();
}

void TTable::RequireClosed(const char *frenchWhat, const char *englishWhat) const
{
    if (Active())
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("Fermez la table %1 avant de changer %2.", "Close table %1 before changing %2.")
                                 .arg(DisplayName(), Pick(frenchWhat, englishWhat)));
}

void TTable::SetDatabaseName(const QString &name)
{
    RequireClosed("sa base de données", "its database");
    m_databaseName = name;
}

void TTable::SetTableName(const QString &name)
{
    RequireClosed("son nom", "its name");
    m_tableName = name;
}

void TTable::SetReadOnly(bool readOnly)
{
    RequireClosed("son mode d'ouverture", "how it is opened");
    m_readOnly = readOnly;
}

void TTable::SetExclusive(bool exclusive)
{
    RequireClosed("son mode d'ouverture", "how it is opened");
    m_exclusive = exclusive;
}

void TTable::RequireActive() const
{
    if (!Active())
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("Opération impossible : la table %1 est fermée.",
                                  "Cannot perform this operation on a closed table %1.").arg(DisplayName()));
}

void TTable::RequireBrowsable()
{
    RequireActive();
    CheckBrowseMode();
}

int TTable::OrderTag() const
{
    return m_cursor ? m_cursor->OrderTag() : -1;
}

void TTable::ApplyOrder()
{
    m_cursor->SetOrder(m_indexName.isEmpty() ? m_indexFieldNames : m_indexName);
    m_rangeLow.reset();
    m_rangeHigh.reset();
}

void TTable::SetIndexName(const QString &tag)
{
    SetOrderNames(tag, QString());
}

void TTable::SetIndexFieldNames(const QString &field)
{
    SetOrderNames(QString(), field);
}

void TTable::SetOrderNames(const QString &tag, const QString &field)
{
    if (Active())
        CheckBrowseMode();
    const QString oldName = m_indexName, oldFields = m_indexFieldNames;
    m_indexName = tag;
    m_indexFieldNames = field;
    if (!Active())
        return;
    try {
        ApplyOrder();
    } catch (...) {
        m_indexName = oldName;
        m_indexFieldNames = oldFields;
        throw;
    }
    if (m_masterSource) {
        const uint32_t recno = m_cursor->Recno();
        ApplyMasterRange();
        if (recno)
            m_cursor->GoTo(recno);
    }
    LoadCurrent();
    Notify(TDataEvent::DataSetChange);
}

void TTable::SetMasterSource(TDataSource *source)
{
    if (source && source->DataSet() == this)
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("Une table ne peut pas être sa propre table maîtresse.",
                                  "A table cannot be its own master.").arg(DisplayName()));
    QObject::disconnect(m_masterConnection);
    QObject::disconnect(m_masterGone);
    m_masterSource = source;
    if (source)
        m_masterGone = connect(source, &QObject::destroyed, this, [this] { m_masterSource = nullptr; });
    if (source)
        m_masterConnection = connect(source, &TDataSource::DataEvent, this, [this](TDataEvent event, TField *field) {
            switch (event) {
            case TDataEvent::DataSetChange:
            case TDataEvent::DataSetScroll: MasterChanged(nullptr); break;
            case TDataEvent::RecordChange: MasterChanged(field); break;
            case TDataEvent::UpdateState:
                if (!m_masterSource || !m_masterSource->DataSet() || !m_masterSource->DataSet()->Active())
                    MasterChanged(nullptr);
                break;
            default: break;
            }
        });
    if (Active()) {
        if (source) {
            MasterChanged(nullptr);
        } else {
            CancelRange();
        }
    }
}

void TTable::SetMasterFields(const QString &fields)
{
    m_masterFields = fields;
    if (Active() && m_masterSource)
        MasterChanged(nullptr);
}

void TTable::CreateFields()
{
    std::vector<std::unique_ptr<TField>> fresh;
    const auto &defs = m_table->Fields();
    for (size_t i = 0; i < defs.size(); ++i) {
        const dbase::FieldDef &d = defs[i];
        const TFieldType type = TypeOf(d);
        auto it = std::find_if(m_fields.begin(), m_fields.end(), [&](const std::unique_ptr<TField> &f) {
            return f && !f->Calculated() && f->FieldName().compare(d.name, Qt::CaseInsensitive) == 0;
        });
        if (it != m_fields.end()) {
            (*it)->Rebind(int(i), type, d.width);
            fresh.push_back(std::move(*it));
        } else {
            fresh.push_back(std::make_unique<TField>(*this, d.name, type, d.width, int(i), TFieldKind::Data));
        }
    }
    for (auto &f : m_fields)
        if (f && f->Calculated())
            fresh.push_back(std::move(f));
    m_fields = std::move(fresh);
}

void TTable::Open()
{
    if (Active())
        return;
    Fire(BeforeOpen);
    const dbase::Table::Mode mode = m_exclusive ? dbase::Table::Mode::Exclusive
                                    : m_readOnly ? dbase::Table::Mode::ReadOnly
                                                 : dbase::Table::Mode::Shared;
    std::unique_ptr<dbase::Table> table =
        m_databaseName.isEmpty() ? std::make_unique<dbase::Table>(m_tableName, mode)
                                 : dbase::Session::Instance().OpenTable(m_databaseName, m_tableName, mode);
    m_cursor = std::make_unique<dbase::Cursor>(*table);
    m_table = std::move(table);
    try {
        ApplyOrder();
        CreateFields();
        m_buffer = m_table->NewRecord();
        m_state = TDataSetState::Browse;
        if (m_masterSource)
            ApplyMasterRange();
        else
            m_cursor->First();
        LoadCurrent();
    } catch (...) {
        m_state = TDataSetState::Inactive;
        m_cursor.reset();
        m_table.reset();
        throw;
    }
    Notify(TDataEvent::DataSetChange);
    Notify(TDataEvent::UpdateState);
    Fire(AfterOpen);
    Fire(AfterScroll);
}

void TTable::Close()
{
    if (!Active())
        return;
    Fire(BeforeClose);
    if (m_editRecno)
        m_table->UnlockRecord(m_editRecno);
    m_editRecno = 0;
    m_modified = false;
    m_state = TDataSetState::Inactive;
    m_rangeLow.reset();
    m_rangeHigh.reset();
    m_cursor.reset();
    m_table.reset();
    m_buffer = dbase::Record();
    Notify(TDataEvent::DataSetChange);
    Notify(TDataEvent::UpdateState);
    Fire(AfterClose);
}

void TTable::LoadCurrent()
{
    if (!m_cursor || m_cursor->Empty())
        m_buffer = m_table ? m_table->NewRecord() : dbase::Record();
    else
        m_buffer = m_cursor->Current();
    CalculateFields();
}

void TTable::CalculateFields()
{
    m_calcValues.assign(size_t(m_calcCount), QVariant());
    if (m_calcCount == 0 || !OnCalcFields || !Active())
        return;
    TRestore<TDataSetState> state(m_state, TDataSetState::CalcFields);
    TRestore<bool> calculating(m_calculating, true);
    OnCalcFields(*this);
}

QVariant TTable::CalcValue(int slot) const
{
    if (slot < 0 || size_t(slot) >= m_activeCalc->size())
        return {};
    return (*m_activeCalc)[size_t(slot)];
}

void TTable::SetCalcValue(int slot, const QVariant &v)
{
    if (slot >= 0 && size_t(slot) < m_activeCalc->size())
        (*m_activeCalc)[size_t(slot)] = v;
}

QStringList TTable::RowTexts(const dbase::Record &record, const std::vector<TField *> &fields)
{
    std::vector<QVariant> calc(static_cast<size_t>(m_calcCount));
    TRestore<dbase::Record *> active(m_active, const_cast<dbase::Record *>(&record));
    TRestore<std::vector<QVariant> *> activeCalc(m_activeCalc, &calc);
    if (m_calcCount > 0 && OnCalcFields) {
        TRestore<TDataSetState> state(m_state, TDataSetState::CalcFields);
        TRestore<bool> calculating(m_calculating, true);
        OnCalcFields(*this);
    }
    QStringList out;
    out.reserve(qsizetype(fields.size()));
    for (TField *f : fields)
        out << (f ? f->DisplayText() : QString());
    return out;
}

void TTable::FieldChanged(TField &field)
{
    if (m_calculating || m_active != &m_buffer)
        return;
    if (!m_inNewRecord)
        m_modified = true;
    if (m_inNewRecord)
        return;
    if (m_calcCount > 0) {
        // Calculated fields may all have moved: every control shows its field again.
        CalculateFields();
        Notify(TDataEvent::RecordChange, nullptr);
    } else {
        Notify(TDataEvent::RecordChange, &field);
    }
}

void TTable::FieldLayoutChanged(TField &field)
{
    if (Active())
        Notify(TDataEvent::LayoutChange, &field);
}

TField *TTable::FindField(const QString &name) const
{
    for (const auto &f : m_fields)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

TField *TTable::FieldByName(const QString &name) const
{
    if (TField *f = FindField(name))
        return f;
    throw EDBEngineError(dbase::kInvalidField,
                         Pick("Champ %1 introuvable dans la table %2.", "Field %1 not found in table %2.")
                             .arg(name, DisplayName()));
}

TField *TTable::AddCalcField(const QString &name, TFieldType type, int size)
{
    if (FindField(name))
        throw EDBEngineError(dbase::kInvalidField,
                             Pick("Le champ %1 existe déjà dans la table %2.", "Field %1 already exists in table %2.")
                                 .arg(name, DisplayName()));
    auto field = std::make_unique<TField>(*this, name, type, size, -1, TFieldKind::Calculated);
    field->m_calcSlot = m_calcCount++;
    TField *raw = field.get();
    m_fields.push_back(std::move(field));
    if (Active()) {
        CalculateFields();
        Notify(TDataEvent::LayoutChange, raw);
    }
    return raw;
}

void TTable::Scrolled()
{
    Notify(TDataEvent::DataSetScroll);
    Fire(AfterScroll);
}

void TTable::First()
{
    RequireBrowsable();
    Fire(BeforeScroll);
    m_cursor->First();
    LoadCurrent();
    Scrolled();
}

void TTable::Last()
{
    RequireBrowsable();
    Fire(BeforeScroll);
    m_cursor->Last();
    LoadCurrent();
    Scrolled();
}

void TTable::Next()
{
    MoveBy(1);
}

void TTable::Prior()
{
    MoveBy(-1);
}

int TTable::MoveBy(int distance)
{
    RequireBrowsable();
    Fire(BeforeScroll);
    int moved = 0;
    if (distance > 0) {
        while (moved < distance && m_cursor->Next())
            ++moved;
    } else if (distance < 0) {
        while (moved > distance && m_cursor->Prior())
            --moved;
    }
    if (moved != 0)
        LoadCurrent();
    Scrolled();
    return moved;
}

bool TTable::Eof() const
{
    return !m_cursor || m_cursor->Eof();
}

bool TTable::Bof() const
{
    return !m_cursor || m_cursor->Bof();
}

bool TTable::IsEmpty() const
{
    return !m_cursor || m_cursor->Empty();
}

uint32_t TTable::RecNo() const
{
    if (m_state == TDataSetState::Insert)
        return 0;
    return m_cursor ? m_cursor->Recno() : 0;
}

bool TTable::SetRecNo(uint32_t recno)
{
    RequireActive();
    if (recno == m_cursor->Recno() && m_state == TDataSetState::Browse)
        return true;
    CheckBrowseMode();
    Fire(BeforeScroll);
    if (!m_cursor->GoTo(recno))
        return false;
    LoadCurrent();
    Scrolled();
    return true;
}

bool TTable::FindKey(const QString &value)
{
    RequireBrowsable();
    const int tag = OrderTag();
    if (tag < 0)
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("La recherche dans la table %1 demande un ordre d'index.",
                                  "Finding a key in table %1 needs an index order.").arg(DisplayName()));
    const dbase::KeyBytes key = m_table->KeyFromText(tag, value);
    if (!m_cursor->FindKey(key))
        return false;
    LoadCurrent();
    Scrolled();
    return true;
}

bool TTable::FindKey(long long value)
{
    return FindKey(QString::number(value));
}

bool TTable::FindNearest(const QString &value)
{
    RequireBrowsable();
    const int tag = OrderTag();
    if (tag < 0)
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("La recherche dans la table %1 demande un ordre d'index.",
                                  "Finding a key in table %1 needs an index order.").arg(DisplayName()));
    if (!m_cursor->FindNearest(m_table->KeyFromText(tag, value)))
        return false;
    LoadCurrent();
    Scrolled();
    return true;
}

void TTable::SetRange(const QString &start, const QString &end)
{
    RequireBrowsable();
    const int tag = OrderTag();
    if (tag < 0)
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("Une plage de la table %1 demande un ordre d'index.",
                                  "A range on table %1 needs an index order.").arg(DisplayName()));
    SetRangeInternal(m_table->KeyFromText(tag, start), m_table->KeyFromText(tag, end));
}

void TTable::SetRangeKeys(const dbase::KeyBytes &low, const dbase::KeyBytes &high)
{
    RequireBrowsable();
    SetRangeInternal(low, high);
}

void TTable::SetRangeInternal(const dbase::KeyBytes &low, const dbase::KeyBytes &high)
{
    Fire(BeforeScroll);
    m_cursor->SetRange(low, high);
    m_rangeLow = low;
    m_rangeHigh = high;
    LoadCurrent();
    Notify(TDataEvent::DataSetChange);
    Fire(AfterScroll);
}

void TTable::CancelRange()
{
    RequireBrowsable();
    m_cursor->CancelRange();
    m_rangeLow.reset();
    m_rangeHigh.reset();
    if (m_cursor->Empty())
        m_cursor->First();
    LoadCurrent();
    Notify(TDataEvent::DataSetChange);
}

void TTable::MasterChanged(TField *field)
{
    if (!Active() || !m_masterSource)
        return;
    if (field) {
        const QString first = m_masterFields.section(QLatin1Char(';'), 0, 0).trimmed();
        if (field->FieldName().compare(first, Qt::CaseInsensitive) != 0)
            return;
    }
    CheckBrowseMode();
    Fire(BeforeScroll);
    ApplyMasterRange();
    LoadCurrent();
    Notify(TDataEvent::DataSetChange);
    Fire(AfterScroll);
}

void TTable::ApplyMasterRange()
{
    const int tag = OrderTag();
    if (tag < 0)
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("Le lien maître-détail de la table %1 demande un ordre d'index.",
                                  "The master-detail link of table %1 needs an index order.").arg(DisplayName()));
    TTable *master = m_masterSource ? m_masterSource->DataSet() : nullptr;
    const QString name = m_masterFields.section(QLatin1Char(';'), 0, 0).trimmed();
    TField *mf = master && master->Active() && !name.isEmpty() ? master->FindField(name) : nullptr;
    const bool hasRow = master && (master->State() == TDataSetState::Insert || !master->IsEmpty());
    std::pair<dbase::KeyBytes, dbase::KeyBytes> range;
    if (!mf || !hasRow || mf->IsNull()) {
        range = EmptyRange(m_table->Tag(tag));
    } else {
        const dbase::KeyBytes key = m_table->KeyFromText(tag, mf->AsString());
        range = {key, key};
    }
    m_cursor->SetRange(range.first, range.second);
    m_rangeLow = range.first;
    m_rangeHigh = range.second;
}

void TTable::SetState(TDataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    Notify(TDataEvent::UpdateState);
}

void TTable::CheckBrowseMode()
{
    RequireActive();
    if (m_state != TDataSetState::Edit && m_state != TDataSetState::Insert)
        return;
    UpdateRecord();
    if (m_modified)
        Post();
    else
        Cancel();
}

void TTable::UpdateRecord()
{
    if (m_state == TDataSetState::Edit || m_state == TDataSetState::Insert)
        Notify(TDataEvent::UpdateRecord);
}

void TTable::Edit()
{
    RequireActive();
    if (m_state == TDataSetState::Edit || m_state == TDataSetState::Insert)
        return;
    if (IsEmpty()) {
        Insert();
        return;
    }
    if (m_readOnly)
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("La table %1 ne peut pas être modifiée.", "Table %1 cannot be modified.").arg(DisplayName()));
    Fire(BeforeEdit);
    const uint32_t recno = m_cursor->Recno();
    dbase::Record fresh;
    m_table->LockRecord(recno, &fresh);
    m_editRecno = recno;
    m_buffer = std::move(fresh);
    m_modified = false;
    m_state = TDataSetState::Edit;
    try {
        CalculateFields();
    } catch (...) {
        m_table->UnlockRecord(recno);
        m_editRecno = 0;
        m_state = TDataSetState::Browse;
        LoadCurrent();
        throw;
    }
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::RecordChange);
    Fire(AfterEdit);
}

void TTable::Insert()
{
    BeginInsert(false);
}

void TTable::Append()
{
    BeginInsert(true);
}

void TTable::BeginInsert(bool append)
{
    (void)append; // rows are always written at the end of the file
    RequireActive();
    if (m_readOnly)
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("La table %1 ne peut pas être modifiée.", "Table %1 cannot be modified.").arg(DisplayName()));
    CheckBrowseMode();
    Fire(BeforeInsert);
    m_buffer = m_table->NewRecord();
    m_modified = false;
    m_state = TDataSetState::Insert;
    try {
        TRestore<bool> inNew(m_inNewRecord, true);
        // A detail row starts linked to its master row.
        if (m_masterSource && m_masterSource->DataSet() && OrderTag() >= 0) {
            TField *mf = m_masterSource->DataSet()->FindField(m_masterFields.section(QLatin1Char(';'), 0, 0).trimmed());
            const int keyField = m_table->FieldIndex(m_table->Tag(OrderTag()).expression.trimmed());
            if (mf && keyField >= 0 && !mf->IsNull())
                m_buffer.SetString(keyField, mf->AsString());
        }
        Fire(OnNewRecord);
        m_modified = false;
        CalculateFields();
    } catch (...) {
        m_state = TDataSetState::Browse;
        LoadCurrent();
        throw;
    }
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::RecordChange);
    Fire(AfterInsert);
}

void TTable::Post()
{
    RequireActive();
    UpdateRecord();
    if (m_state != TDataSetState::Edit && m_state != TDataSetState::Insert)
        return;
    Fire(BeforePost);
    uint32_t recno;
    if (m_state == TDataSetState::Edit) {
        recno = m_editRecno;
        m_table->WriteRecord(recno, m_buffer);
        m_table->UnlockRecord(recno);
        m_editRecno = 0;
    } else {
        recno = m_table->AppendRecord(m_buffer);
    }
    m_modified = false;
    // The row may have left the range (a changed key): then its neighbour is current.
    if (!m_cursor->GoTo(recno))
        m_cursor->Refresh();
    m_state = TDataSetState::Browse;
    LoadCurrent();
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    Fire(AfterPost);
}

void TTable::Cancel()
{
    RequireActive();
    if (m_state != TDataSetState::Edit && m_state != TDataSetState::Insert)
        return;
    Fire(BeforeCancel);
    if (m_editRecno)
        m_table->UnlockRecord(m_editRecno);
    m_editRecno = 0;
    m_modified = false;
    m_state = TDataSetState::Browse;
    if (!m_cursor->Empty())
        m_cursor->Refresh();
    LoadCurrent();
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    Fire(AfterCancel);
}

void TTable::Delete()
{
    RequireActive();
    if (m_state == TDataSetState::Insert) {
        Cancel();
        return;
    }
    if (IsEmpty())
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("Opération impossible : la table %1 est vide.",
                                  "Cannot perform this operation on an empty table %1.").arg(DisplayName()));
    if (m_readOnly)
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("La table %1 ne peut pas être modifiée.", "Table %1 cannot be modified.").arg(DisplayName()));
    Fire(BeforeDelete);
    Fire(BeforeScroll);
    const uint32_t recno = m_cursor->Recno();
    const bool locked = m_editRecno == recno;
    if (!locked)
        m_table->LockRecord(recno);
    try {
        m_table->DeleteRecord(recno);
    } catch (...) {
        if (!locked)
            m_table->UnlockRecord(recno);
        throw;
    }
    m_table->UnlockRecord(recno);
    m_editRecno = 0;
    m_modified = false;
    m_state = TDataSetState::Browse;
    m_cursor->Refresh(); // the row is gone: its neighbour becomes current
    LoadCurrent();
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    Fire(AfterDelete);
    Fire(AfterScroll);
}

void TTable::Refresh()
{
    RequireBrowsable();
    if (m_cursor->Empty())
        m_cursor->First();
    else
        m_cursor->Refresh();
    LoadCurrent();
    Notify(TDataEvent::DataSetChange);
}

void TTable::DisableControls()
{
    ++m_disableCount;
}

void TTable::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0 && m_changedWhileDisabled) {
        m_changedWhileDisabled = false;
        Notify(TDataEvent::DataSetChange);
        Notify(TDataEvent::UpdateState);
    }
}

void TTable::Notify(TDataEvent event, TField *field)
{
    if (m_disableCount > 0 && event != TDataEvent::UpdateRecord) {
        m_changedWhileDisabled = true;
        return;
    }
    const std::vector<TDataSource *> sources = m_sources; // handlers may detach sources
    for (TDataSource *s : sources)
        if (std::find(m_sources.begin(), m_sources.end(), s) != m_sources.end())
            s->Dispatch(event, field);
}

void TTable::AddSource(TDataSource *source)
{
    if (std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end())
        m_sources.push_back(source);
}

void TTable::RemoveSource(TDataSource *source)
{
    m_sources.erase(std::remove(m_sources.begin(), m_sources.end(), source), m_sources.end());
}

std::vector<uint32_t> TTable::RecnosInOrder()
{
    std::vector<uint32_t> out;
    if (!Active())
        return out;
    dbase::Cursor walker(*m_table);
    const int tag = OrderTag();
    if (tag >= 0)
        walker.SetOrder(m_table->Tag(tag).name);
    bool ok;
    if (m_rangeLow) {
        walker.SetRange(*m_rangeLow, *m_rangeHigh);
        ok = !walker.Empty();
    } else {
        ok = walker.First();
    }
    for (; ok; ok = walker.Next())
        out.push_back(walker.Recno());
    return out;
}

bool TTable::ReadRow(uint32_t recno, dbase::Record &out)
{
    return m_table && m_table->ReadRecord(recno, out) && !out.Deleted();
}

} // namespace dataset
