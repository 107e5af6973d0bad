#pragma once

#include <QKeySequence>
#include <QString>

// Every command's keys in one place, so the menus, the tooltips and the hints that
// mention them always agree. The desktop's own standard keys come first where one
// exists for the command.
namespace ovalon::shortcuts {

QKeySequence newTest();
QKeySequence duplicateTest();
QKeySequence gradeScans();
QKeySequence scanAnswerKey();
QKeySequence importRoster();
QKeySequence saveSheetsPDF();
QKeySequence exportScores();
QKeySequence exportSlips();
QKeySequence exportReport();
QKeySequence print();
QKeySequence quit();
QKeySequence help();
// The tabs "Test" to "Results", numbered from 1.
QKeySequence tab(int number);
QKeySequence nextItem();
QKeySequence previousItem();
QKeySequence nextOpenItem();

// The keys as this desktop writes them, e.g. "Ctrl+G".
QString text(const QKeySequence &keys);
// "Make a new test (Ctrl+N)": a tooltip or hint naming the keys as this desktop writes them.
QString hint(const QString &what, const QKeySequence &keys);

} // namespace ovalon::shortcuts
