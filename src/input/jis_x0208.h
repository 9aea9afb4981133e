#pragma once
// Which cells of the JIS X 0208 character set hold a character: asked by the ISO-2022-JP rewrite
// of JIS X 0213 and by the weighing of encodings.

namespace input {

// The cells JIS X 0208 assigns (row and cell from 1). JIS X 0213 plane 1 keeps all of them where
// they are and fills the rest.
constexpr bool isJisX0208Cell(int row, int cell) {
    const auto cells = [cell](int first, int last) { return cell >= first && cell <= last; };
    if (cell < 1 || cell > 94)
        return false;
    switch (row) {
    case 1:
        return true;
    case 2:
        return cells(1, 14) || cells(26, 33) || cells(42, 48) || cells(60, 74) || cells(82, 89) ||
               cell == 94;
    case 3:
        return cells(16, 25) || cells(33, 58) || cells(65, 90);
    case 4:
        return cell <= 83;
    case 5:
        return cell <= 86;
    case 6:
        return cell <= 24 || cells(33, 56);
    case 7:
        return cell <= 33 || cells(49, 81);
    case 8:
        return cell <= 32;
    case 47:
        return cell <= 51;
    case 84:
        return cell <= 6;
    default:
        return (row >= 16 && row <= 46) || (row >= 48 && row <= 83);
    }
}

} // namespace input
