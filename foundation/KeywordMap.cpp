#include "foundation/KeywordMap.h"

#include <cstddef>

int32_t CKSTKeywordMap::ValueOf(const CKSTString& name) const
{
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i] == name) {
            return m_values[i];
        }
    }
    return 0;
}

CKSTString CKSTKeywordMap::NameOf(int32_t value) const
{
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        if (m_values[i] == value) {
            return m_names[i];
        }
    }
    return CKSTString();
}
