#pragma once
// The lease window of a dwelling in a housing cooperative, regular ("NO") or for elderly or
// handicapped persons ("OO"): the standard lease window on the cooperative form, whose lessor
// is the cooperative and whose lessees are usually its members.

#include "entry/Bailstd.h"

namespace entry {

class TBailCoopForm : public TBailStdForm {
    Q_OBJECT
public:
    // Opens its cursors and shows the last lease of its kind; engine errors propagate.
    TBailCoopForm(QWidget *parent, bool elderly);

    bool RepositionsAfterPrintDialog() const override { return true; }

protected:
    // Typing an "other" rent term or method of payment unticks the boxes it stands for.
    void OtherTextTyped(dataset::TDBEdit *edit) override;
    bool FillsByLawsDateOnEnter() const override { return false; }
    bool AnnexWindowNamesLease() const override { return false; }
};

} // namespace entry
