#pragma once
// The three journal grids as the pages lay them out: their sizes, the
// sections of the header control above each (caption and width), and the
// column widths the grids start with. The window builds its pages from
// these; vmkctl names its columns with the same captions.

#include <QList>
#include <QString>
#include <QStringList>

namespace vmk::journals {

struct HeaderSection {
  QString caption;
  int width;
};

// GrdEvent: one row per record number, 16 columns.
constexpr int kEventRows = 34;
constexpr int kEventColumns = 16;
// grdStat: one row per counter.
constexpr int kStatRows = 22;
constexpr int kStatColumns = 3;
// grdAlarm: one row per shown entry; columns 2..4 (entry number, phase
// and earth ratio) have no section and carry what the oscillogram
// download needs.
constexpr int kAlarmRows = 13;
constexpr int kAlarmColumns = 5;

// HeaderControl1: "Номер" 50, "Дата и время" 150, "Событие" 200,
// "Информация" 240, then "WDT", "Dout5".."Dout1", "Din6".."Din1", 41 each.
const QList<HeaderSection>& eventSections();
// HeaderControl2: "№" 50, "Параметр" 450, "Значение" 150.
const QList<HeaderSection>& statSections();
// HeaderControl3: "Дата и время" 200, "Авария" 150.
const QList<HeaderSection>& alarmSections();

// The widths grdStat and grdAlarm start with (GrdEvent's follow its
// header: each section less 2).
const QList<int>& statColumnWidths();   // 46, 450, 148
const QList<int>& alarmColumnWidths();  // 196, 150, 116, 114, 64

// Names of every column for a table outside the window (vmkctl's CSV): the
// sections' captions, and for the alarm grid's columns without a section
// "Запись", "Ктт", "КттЗНЗ".
QStringList eventColumnNames();
QStringList statColumnNames();
QStringList alarmColumnNames();

}  // namespace vmk::journals
