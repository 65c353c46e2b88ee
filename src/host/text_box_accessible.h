#pragma once

class QAccessibleInterface;
class QObject;
class QString;

// What assistive technology (a screen reader) sees of a text box: an editable
// text with a caret and a selection, read in exact positions.
namespace text_box_accessible {

// The accessibility factory for text boxes: installed once by the first box.
QAccessibleInterface* factory(const QString& className, QObject* object);

} // namespace text_box_accessible
