#pragma once
// A MessageBoxes for widget tests: records every box instead of showing it
// and answers questions from a preset list (No when it runs out).
#include <QString>
#include <deque>
#include <vector>

#include "ui/message_boxes.h"

namespace sk::test {

class RecordingMessageBoxes : public MessageBoxes {
  public:
    struct Box {
        enum Kind { Critical, Information, Question } kind;
        QString title;
        QString text;
    };

    void critical(QWidget*, const QString& title, const QString& text) override {
        boxes.push_back({Box::Critical, title, text});
    }
    void information(QWidget*, const QString& title, const QString& text) override {
        boxes.push_back({Box::Information, title, text});
    }
    bool question(QWidget*, const QString& title, const QString& text) override {
        boxes.push_back({Box::Question, title, text});
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Box> boxes;
    std::deque<bool> answers;
};

}  // namespace sk::test
