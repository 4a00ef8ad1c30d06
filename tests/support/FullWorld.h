#pragma once

#include <QDate>
#include <QString>

class TestEnvironment;
class TMainForm;

//! A used program: every list at `rows` rows and every feature armed, with nothing due in
//! the morning hours of the fake clock's first day (10:00 to 11:00). For the tick's cost
//! and for long runs.
namespace FullWorld {

//! The list files of the world, written into the environment's folders.
void WriteLists(TestEnvironment& env, int rows);
//! Arms every rule, alarm, reminder and the lock, as a user would with the boxes.
void ArmEverything(TMainForm& window);

} // namespace FullWorld
