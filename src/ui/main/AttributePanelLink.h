#pragma once

namespace umbrix {

class FrmSeek;
class ResultListBox;

// Until the lists have their full mouse and keyboard handling: a changed
// selection in a result list box shows the selected entries in the attribute
// panel, and a right click on a result box, the directory list or the file
// list opens the context menu for the entry it addressed.
void linkListsToAttributePanel(FrmSeek& window);
// `box` is result list box `index` of the window.
void linkResultBoxToAttributePanel(FrmSeek& window, ResultListBox& box, int index);

} // namespace umbrix
