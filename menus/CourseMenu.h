#pragma once
// The course menu: the courses the program can open (the disc it found and
// the learner's own, built from their films), each as a card with its title
// picture, title and language. A card opens its course; the learner's own
// courses can be removed; "New course from a film…" builds another. Back
// ends the program, as the multi menu does.
#include <vector>

#include "toolkit/Screen.h"

class QPushButton;

namespace tav {

class TForm_Main;
class TImage;
class TZrButton;


class TForm_CourseMenu : public TScreen {
    Q_OBJECT
public:
    TForm_CourseMenu(TForm_Main& main, QWidget* parent);

    static constexpr int kCardsPerPage = 6;

    TImage* Image_Background;
    TZrButton* EButton_Back;
    QPushButton* Button_NewCourse;
    QPushButton* Button_PageBack;
    QPushButton* Button_PageOn;
    std::vector<QWidget*> Cards;             // the course cards of the page shown
    std::vector<QPushButton*> RemoveButtons; // one per card of a learner's own course (else nullptr)

    void CardClick(int index);   // index into main.Courses
    void RemoveClick(int index);
    void NewCourseClick();
    void EButton_BackClick();
    void ShowPage(int page);
    int Page() const { return page_; }

private:
    TForm_Main& main_;
    int page_ = 0;
};

} // namespace tav
