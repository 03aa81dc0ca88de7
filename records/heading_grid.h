#pragma once
// The heading grids of the settings window: a fixed title column and a fixed
// row of old headings above the editable row of new ones.

#include "ui/text_grid.h"

class HeadingGrid : public TextGrid {
    Q_OBJECT
public:
    HeadingGrid(int headingCount, QWidget *parent = nullptr);

    int headingCount() const { return colCount() - 1; }
    // Heading c (from 0) as typed into the new row.
    QString newHeading(int c) const { return cell(c + 1, 1); }
    // Shows heading c in both rows.
    void setHeading(int c, const QString &text);
    // Takes over what is being typed into a cell when the window is left by a shortcut.
    void commitEdit();

protected:
    // Tab walks the new headings, then goes on to the next control.
    bool focusNextPrevChild(bool next) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    bool hasCellAfter(bool next) const;
};
