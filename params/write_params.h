#pragma once
// `actSetParametrExecute`: writes every row marked "*" in Grid1 and grdSett
// to the device after the password check, then re-reads the setup block.

#include <QLocale>

namespace vmk {

class Workspace;

// 1. The password (strict form); nothing is sent without it.
// 2. Every marked row of both grids is converted and checked first: a
//    register number, a text that is a number (or the row's bit string,
//    toggle text, characteristic name) and words that fit 16 bits. When any
//    row fails, one error box names each such row and why; nothing is sent
//    and the port is not opened.
// 3. Grid1 rows 0..61 then grdSett rows 0..31, one register write each
//    (two-register rows: the register, then register + 1). A row loses its
//    mark only when the device answered every write of the row.
// 4. The setup block 64..86 is read back into the device record and
//    ParamsModified is cleared; when that read fails, "Ошибка связи с
//    устройством!" and the flag and the record stay as they were.
// A port failure while writing shows "Ошибка связи с устройством!" and
// ends the action. Returns true when the final read succeeded. Throws Error
// when the port cannot be opened.
bool actSetParametrExecute(Workspace& ws, const QLocale& locale = QLocale());

}  // namespace vmk
