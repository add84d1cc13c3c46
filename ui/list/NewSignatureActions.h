#pragma once

#include <QString>

#include <optional>

class MailMonitor;
class PasteModel;
class SignaturesEngine;

// What "New Signature from Clipboard…" does before and after its sheet asks
// for the name.
namespace NewSignatureActions {
QString menuText();

// The clipboard's HTML, read as the insert reads it; none when it offers
// nothing or Mail runs at this moment (the top bar then says so, as for an
// insert): nothing is asked then.
std::optional<QString> htmlToCreate(PasteModel &paste, SignaturesEngine &engine, MailMonitor &mailMonitor);

// The sheet's OK takes a name that is more than white space.
bool acceptsName(const QString &name);

// Unless Mail started while the sheet was up, makes the signature and
// selects it; a refusal (such as a name in use) is said in the top bar.
bool create(SignaturesEngine &engine, MailMonitor &mailMonitor, const QString &name, const QString &html);
} // namespace NewSignatureActions
