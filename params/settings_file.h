#pragma once
// The settings file (.ust): the value texts of both grids in a Windows-1251
// ini file with the sections "Параметры" and "Уставки".

namespace vmk {

class Workspace;

// `ActSaveFileExecute`: asks for a file and writes the value text of every
// data row under its key, in the catalogue's order. Other sections and keys
// of an existing file are kept; the file is replaced only when completely
// written. No mark, flag or device changes. True when a file was written.
bool ActSaveFileExecute(Workspace& ws);

// `ActOpenFileExecute`: asks for a file; a name whose extension is not
// exactly ".ust" is ignored silently. Each key's text goes into its row (a
// missing key keeps the row's text) and every data row of both grids is
// marked "*". ParamsModified is left as it is. True when a file was loaded.
bool ActOpenFileExecute(Workspace& ws);

}  // namespace vmk
