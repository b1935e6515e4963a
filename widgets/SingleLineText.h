#pragma once

class QLineEdit;

// A single-line text never holds a control character (tab, line break, NUL...): other programs
// read these texts field by field and line by line. A pasted text keeps its words: each run of
// tabs and line breaks inside it becomes one blank, and one at either end of the field goes. Any
// other control character refuses the text typed or pasted whole.
void RefuseControlCharacters(QLineEdit* edit);
