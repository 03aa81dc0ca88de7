#pragma once
// The operator's headings: 10 x 5 texts, column c = 0..9, row k = 0..4.
// Rows 0..3: headings of the working set, archive set, person list, device
// list; row 4 column 0: the stored password value.

#include <QString>

struct Headings {
    static constexpr int Cols = 10;
    static constexpr int Rows = 5;
    QString cell[Cols][Rows];

    QString &at(int c, int k) { return cell[c][k]; }
    const QString &at(int c, int k) const { return cell[c][k]; }
    QString &storedPassword() { return cell[0][4]; }
    const QString &storedPassword() const { return cell[0][4]; }
};
