#pragma once

class QLineEdit;

// A single-line text never holds a control character (tab, line break, NUL...): other programs
// read these texts field by field and line by line. A typed or pasted text with one is refused.
void RefuseControlCharacters(QLineEdit* edit);
