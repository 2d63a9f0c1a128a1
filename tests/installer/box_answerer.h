// Answers the message boxes of this process from a second thread while the
// code under test runs on the first, and keeps what a user saw.
#pragma once
#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "robot.h"

constexpr DWORD kAnswerTimeoutMs = 10000;

// What a user and a caller saw, in order: "box <caption>" and "event <code>".
struct Journal {
    std::mutex lock;
    std::vector<std::string> lines;
    void Add(const std::string& line)
    {
        std::lock_guard<std::mutex> hold(lock);
        lines.push_back(line);
    }
};

// Reads and answers every message box of this process until destroyed;
// answers[i] goes to the i-th box (Cancel when the list runs out).
class BoxAnswerer {
public:
    BoxAnswerer(std::vector<int> answers, Journal* journal)
        : answers_(std::move(answers)), journal_(journal), thread_([this] { Run(); })
    {
    }
    ~BoxAnswerer() { Stop(); }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    std::vector<robot::MessageBoxView> Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return boxes_;
    }

private:
    void Run()
    {
        std::set<HWND> answered;
        while (!stop_) {
            for (HWND window : robot::TopWindows(GetCurrentProcessId())) {
                if (answered.count(window) || robot::ClassName(window) != "#32770")
                    continue;
                Answer(window);
                answered.insert(window);
            }
            Sleep(10);
        }
    }
    void Answer(HWND window)
    {
        robot::MessageBoxView box = robot::ReadMessageBox(window);
        robot::WaitFor([&] { return !(box = robot::ReadMessageBox(window)).text.empty(); }, 2000);
        journal_->Add("box " + box.caption);
        std::size_t index = boxes_.size();
        boxes_.push_back(box);
        int answer = index < answers_.size() ? answers_[index] : IDCANCEL;
        if (std::find(box.buttons.begin(), box.buttons.end(), answer) == box.buttons.end())
            answer = box.buttons.empty() ? IDOK : box.buttons.front();
        robot::Press(window, answer);
        robot::WaitUntilGone(window, kAnswerTimeoutMs);
    }

    std::vector<int> answers_;
    Journal* journal_;
    std::vector<robot::MessageBoxView> boxes_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

