#pragma once

#include "store/SignatureFileFormat.h"

#include <QMap>
#include <QString>

#include <optional>

class MailMonitor;
class PasteModel;
class QMimeData;
class SignaturesEngine;

// What the user's commands do to the selected signature, whichever control
// gives them: the top bar's buttons, the menus, a drop, the list's context
// menu, the restore dialog.
namespace SignatureActions {
// Reads the clipboard and, unless Mail runs at this very moment, writes
// and locks it into the selected signature; the preview shows the file
// once it is written. Any refusal or failure is said in the top bar.
// HTML with fields to fill is not written: it is returned (with the images
// it names), for the fields sheet to ask for their values.
using Template = SignatureFileFormat::Body;
std::optional<Template> insertFromClipboard(PasteModel &paste, SignaturesEngine &engine,
                                            MailMonitor &mailMonitor);

// The same for the HTML of the file at path, the images it names from its
// own folder embedded as image parts; a file that cannot be taken (not
// UTF-8, empty, too large, an image that cannot be embedded) is told in
// the top bar.
std::optional<Template> insertFromFile(const QString &path, SignaturesEngine &engine,
                                       MailMonitor &mailMonitor);
// The same for the one HTML file a drop hands over; anything else dropped is
// refused with the reason in the top bar.
std::optional<Template> insertDropped(const QMimeData &mime, SignaturesEngine &engine,
                                      MailMonitor &mailMonitor);

// Fills the template with values, remembers them for the next template and,
// unless Mail runs at this very moment, inserts the result as above.
bool insertFilled(const Template &templateBody, const QMap<QString, QString> &values,
                  SignaturesEngine &engine, MailMonitor &mailMonitor);

// Unless Mail runs at this very moment, writes the selected signature again
// with its data: images made image parts, as Mail keeps them; an image that
// cannot be is told in the top bar, and nothing is written.
void embedImages(SignaturesEngine &engine, MailMonitor &mailMonitor);

// Edit's Undo, named for what it takes back in the selected signature.
QString undoText(const SignaturesEngine &engine);
// Unless Mail runs at this very moment, takes back the last insert or
// restore of the selected signature.
void undo(SignaturesEngine &engine, MailMonitor &mailMonitor);

// Unless Mail runs at this very moment, writes back what was last inserted
// into the selected signature and locks it.
void putBack(SignaturesEngine &engine, MailMonitor &mailMonitor);

// What the top bar says when a click finds Mail running after all.
QString mailRunningRefusal();
// Asks whether Mail runs right now; when it does, says so in the top bar
// and answers true: the caller then changes nothing.
bool refusedWhileMailRuns(SignaturesEngine &engine, MailMonitor &mailMonitor);

// Opens the folder chooser; a confirmed choice brings the engine, if it
// still exists then, to its running state.
void authorize(SignaturesEngine &engine);
} // namespace SignatureActions
