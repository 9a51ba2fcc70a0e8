#pragma once
// What the main window opens of the patient register.

class QWidget;

namespace tav::patients {

// "Регистрация" / "Нов пациент": CardMode = "New", the card without blocking.
void openNewPatientCard(QWidget* mainWindow);
// The search by name in PatientSearchMode 1, 2 or 3 (set by the caller).
void openSearchByName(QWidget* mainWindow);

} // namespace tav::patients
