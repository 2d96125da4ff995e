#pragma once

#include <QShowEvent>
#include <memory>
#include <string>
#include <vector>

#include "app/window_factory.h"
#include "dialogs/confirm.h"
#include "dialogs/select_window.h"
#include "store/credential_table.h"

namespace veltrop::testing {

using EventLog = std::vector<std::string>;

// A main window with the cursor the real one has, logging its life.
class MainWindowStandIn : public Form {
public:
    MainWindowStandIn(engine::Session& session, Table::PasswordPrompt prompt, EventLog& log)
        : table1_("Table1", session, credentials::kFileName, credentials::definition()), log_(log) {
        table1_.setPasswordPrompt(std::move(prompt));
        table1_.open();
        log_.push_back("create Form1");
    }
    ~MainWindowStandIn() override { log_.push_back("destroy Form1"); }

    Table& Table1() { return table1_; }

protected:
    void showEvent(QShowEvent*) override { log_.push_back("show Form1"); }

private:
    Table table1_;
    EventLog& log_;
};

// The real dialogs, logging their life.
template <typename Window>
class Logged : public Window {
public:
    template <typename... Args>
    Logged(EventLog& log, std::string name, Args&&... args)
        : Window(std::forward<Args>(args)...), log_(log), name_(std::move(name)) {
        log_.push_back("create " + name_);
    }
    ~Logged() override { log_.push_back("destroy " + name_); }

protected:
    void showEvent(QShowEvent*) override { log_.push_back("show " + name_); }

private:
    EventLog& log_;
    std::string name_;
};

// The program's windows for start-up tests; the password prompt is the test's.
class StartupWindows : public WindowFactory {
public:
    explicit StartupWindows(EventLog& log) : log_(log) {}

    std::function<bool(engine::Session&)> prompt = [](engine::Session&) { return false; };
    // The window (1, 2 or 3) whose creation fails after the others before it exist.
    int failingWindow = 0;

    Table::PasswordPrompt passwordPrompt(engine::Session& session) const override {
        return [this, &session] {
            log_.push_back("password asked");
            return prompt(session);
        };
    }
    std::unique_ptr<Form> createForm1(engine::Session& session,
                                      Table::PasswordPrompt prompt) const override {
        failIfAsked(1);
        return std::make_unique<MainWindowStandIn>(session, std::move(prompt), log_);
    }
    std::unique_ptr<Form> createForm2(engine::Session& session,
                                      Table::PasswordPrompt prompt) const override {
        failIfAsked(2);
        return std::make_unique<Logged<TForm2>>(log_, "Form2", session, std::move(prompt));
    }
    std::unique_ptr<Form> createForm3() const override {
        failIfAsked(3);
        return std::make_unique<Logged<TForm3>>(log_, "Form3");
    }

private:
    void failIfAsked(int window) const {
        if (window == failingWindow) {
            throw WindowFailure();
        }
    }
    struct WindowFailure : Error {
        WindowFailure() : Error("Window cannot be created") {}
        const char* kindName() const noexcept override { return "EWindowFailure"; }
    };

    EventLog& log_;
};

}  // namespace veltrop::testing
