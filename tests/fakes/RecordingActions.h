// Recording stand-ins for what item launching and the built-in commands ask of the windows: the
// dock's rest, display state, focus and repaint, and the program's other windows and requests.
// Every call is kept as a line ("MinWindows 2") in one list shared by both, so a test sees the
// order across them.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "dock/DockActions.h"

namespace qor::test {

class RecordingDock : public IDockActions {
public:
    // With an AppState, MinWindows moves the dock's state as the real dock does, and each call
    // notes whether a hide would fade.
    explicit RecordingDock(std::vector<std::string>& calls, AppState* app = nullptr)
        : m_calls(calls), m_app(app) {}

    void EscCancel() override { m_calls.push_back("EscCancel"); }
    void MinWindows(int state) override {
        std::string line = "MinWindows " + std::to_string(state);
        if (m_app) {
            if (state == dockstate::Hidden && m_app->dock.FadeOnHide)
                line += " fading";
            m_app->dock.State = state;
            m_app->dock.DockHidden = state == dockstate::Hidden;
        }
        m_calls.push_back(line);
    }
    void DockFocus(bool getFocus) override {
        m_calls.push_back(std::string("DockFocus ") + (getFocus ? "1" : "0"));
    }
    void Repaint() override { m_calls.push_back("Repaint"); }

private:
    std::vector<std::string>& m_calls;
    AppState* m_app;
};

class RecordingProgram : public IProgramActions {
public:
    explicit RecordingProgram(std::vector<std::string>& calls) : m_calls(calls) {}

    struct Prompt {
        std::string prompt, title, defaultText;
    };
    std::vector<Prompt> prompts;
    // Answers to InputText in order; the default text (a cancel) when none is left.
    std::deque<std::string> answers;
    // Runs inside InputText, before it answers (what the files hold while the window is open).
    std::function<void()> whileAsking;
    // Called by MonitorOff, to note when it came.
    std::function<std::string()> monitorOffNote;

    void ShowSettings(bool modeless) override {
        m_calls.push_back(modeless ? "ShowSettings modeless" : "ShowSettings");
    }
    void ShowProperties(int item, bool addMode) override {
        m_calls.push_back("ShowProperties " + std::to_string(item) + (addMode ? " add" : ""));
    }
    void ShowAbout() override { m_calls.push_back("ShowAbout"); }
    void ShowGetStarted() override { m_calls.push_back("ShowGetStarted"); }
    void ExitProgram() override { m_calls.push_back("ExitProgram"); }
    void PumpMessages() override { m_calls.push_back("PumpMessages"); }
    void MonitorOff() override {
        m_calls.push_back("MonitorOff" + (monitorOffNote ? " " + monitorOffNote() : ""));
    }
    std::string InputText(const std::string& prompt, const std::string& title,
                          const std::string& defaultText) override {
        m_calls.push_back("InputText");
        prompts.push_back({prompt, title, defaultText});
        if (whileAsking)
            whileAsking();
        if (answers.empty())
            return defaultText;
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }

private:
    std::vector<std::string>& m_calls;
};

} // namespace qor::test
