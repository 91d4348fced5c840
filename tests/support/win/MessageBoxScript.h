#pragma once
// Scripted answers for the message-box seam of framework/Seams.h.
#include <windows.h>

#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "framework/Seams.h"

// Answers message boxes from a list (then `otherwise`) and records every one shown; installs
// itself as the message-box seam for its lifetime.
class CKSTMessageBoxScript {
public:
    explicit CKSTMessageBoxScript(std::vector<int> answers = {}, int otherwise = IDOK);
    ~CKSTMessageBoxScript();
    CKSTMessageBoxScript(const CKSTMessageBoxScript&) = delete;
    CKSTMessageBoxScript& operator=(const CKSTMessageBoxScript&) = delete;

    std::vector<KstMessageBoxCall> Shown() const;
    std::vector<UINT> ShownIds() const;

private:
    mutable std::mutex m_mutex;
    std::vector<int> m_answers;
    size_t m_next = 0;
    int m_otherwise;
    std::vector<KstMessageBoxCall> m_shown;
    std::function<int(const KstMessageBoxCall&)> m_previous;
};

inline CKSTMessageBoxScript::CKSTMessageBoxScript(std::vector<int> answers, int otherwise)
    : m_answers(std::move(answers)), m_otherwise(otherwise), m_previous(KstSeams().messageBox)
{
    KstSeams().messageBox = [this](const KstMessageBoxCall& call) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shown.push_back(call);
        return m_next < m_answers.size() ? m_answers[m_next++] : m_otherwise;
    };
}

inline CKSTMessageBoxScript::~CKSTMessageBoxScript()
{
    KstSeams().messageBox = m_previous;
}

inline std::vector<KstMessageBoxCall> CKSTMessageBoxScript::Shown() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shown;
}

inline std::vector<UINT> CKSTMessageBoxScript::ShownIds() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<UINT> ids;
    for (const auto& call : m_shown) {
        ids.push_back(call.textId);
    }
    return ids;
}
