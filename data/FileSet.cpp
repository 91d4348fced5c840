#include "data/FileSet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <set>
#include <string>

#include "data/ErrorGuard.h"
#include "data/MeasurementFile.h"
#include "foundation/DateText.h"
#include "foundation/ErrorCodes.h"
#include "foundation/FileReplace.h"

namespace {

const char kAllPatterns[] = "*.qld;*.zrw;*.dat;*.ddf;*.mat;*.csv";

// 9999-12-31 00:00:00: later than every start an archive can hold.
const double kLatestDay = 2958464.0;

// Paths name the same file whatever their case (the archive lives on Windows volumes).
CKSTString PathKey(const CKSTString& path)
{
    CKSTString key = path.SlashesToBackslashes();
    key.MakeUpper();
    return key;
}

// A native file without display settings is complete; one with newer record kinds was read
// too, and one cut short as far as it goes, but both are reported.
bool DataWereRead(int result)
{
    return result == KST_OK || result == KST_ERR_NO_SETTINGS || result == KST_ERR_NEWER_KINDS ||
           result == KST_ERR_END_OF_DATA;
}

bool IsReadError(int result)
{
    return result != KST_OK && result != KST_ERR_NO_SETTINGS;
}

int ReadArchiveFile(const CKSTString& path, CKSTDataSet& dataSet)
{
    CKSTMeasurementFile file;
    int result = file.Open(path);
    if (result == KST_OK) {
        result = file.ReadChannels(dataSet);
        static_cast<void>(file.Close());
    }
    return result;
}

int WriteArchiveFile(const CKSTString& path, int32_t type, const CKSTDataSet& dataSet,
                     const CKSTTextFormat* textSettings)
{
    return KstSaveReplacing(path, [&](const CKSTString& temporary) {
        CKSTMeasurementFile file;
        int result = file.OpenWrite(temporary, type);
        if (result != KST_OK) {
            return result;
        }
        result = file.WriteDataSet(dataSet, textSettings);
        // A close that could not flush lost the end of the file.
        const int closed = file.Close();
        return result != KST_OK ? result : closed;
    });
}

// Whole-second start stamps as the archive stores them; the origin takes up the difference so
// that no sample moves in time.
void RoundStartStamps(CKSTChannelList& channels)
{
    for (int i = 0; i < channels.GetCount(); ++i) {
        CKSTChannel& channel = *channels.GetAt(i);
        if (channel.GetTimeBaseType() == CKSTChannel::kMatrix) {
            continue;
        }
        const CKSTTimeStamp stamp = channel.GetStartTimeStamp();
        CKSTTimeStamp rounded = stamp;
        rounded.RoundToSecond();
        const double delta = (stamp - rounded).GetSeconds();
        channel.SetStartTimeStamp(rounded);
        if (delta == 0.0) {
            continue;
        }
        if (channel.GetTimeBaseType() == CKSTChannel::kTimeVector) {
            for (uint32_t k = 0; k < channel.GetCount(); ++k) {
                channel.SetTimeAt(k, channel.GetTimeAt(k) + delta);
            }
        } else {
            channel.SetT0(channel.GetT0() + delta);
        }
    }
}
}  // namespace

CKSTFileSet::CKSTFileSet() : m_folderMode(kDefaultFolderMode), m_keepName(0) {}

// --- Names ---

CKSTString CKSTFileSet::GetSearchPattern(int32_t type)
{
    switch (type) {
        case KST_FILE_NATIVE:
            return "*.qld";
        case KST_FILE_NATIVE_ZRW:
            return "*.zrw";
        case KST_FILE_TEXT:
            return "*.csv";
        case KST_FILE_FAMOS:
            return "*.dat";
        case KST_FILE_DASYLAB:
            return "*.ddf";
        case KST_FILE_MATLAB:
            return "*.mat";
        default:
            return kAllPatterns;
    }
}

CKSTString CKSTFileSet::GetFileExtension(int32_t type)
{
    switch (type) {
        case KST_FILE_NATIVE_ZRW:
            return ".zrw";
        case KST_FILE_TEXT:
            return ".csv";
        case KST_FILE_FAMOS:
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE:
            return ".dat";
        case KST_FILE_DASYLAB:
            return ".ddf";
        case KST_FILE_MATLAB:
            return ".mat";
        default:
            return ".qld";
    }
}

bool CKSTFileSet::ParseFileNameTime(const CKSTString& name, CKSTTimeStamp& start)
{
    CKSTString rest = name;
    if (!rest.IsEmpty() && rest.First() == 'M') {
        const int blank = rest.Find(' ');
        if (blank >= 0) {
            rest = rest.Mid(blank + 1);
        }
    } else if (rest.GetLength() >= 6 && (rest.Left(3) == "^il" || rest.Left(3) == "!il")) {
        rest = rest.Mid(5);
    }
    if (!IsFixedDateTimeText(rest)) {
        return false;
    }
    start.SetFromFixedText(rest);
    return true;
}

CKSTString CKSTFileSet::GetSubfolder(const CKSTTimeStamp& start) const
{
    if (m_folderMode != kFolderPerMonth && m_folderMode != kFolderPerMonthDay) {
        return CKSTString();
    }
    int16_t year, month, day;
    SerialToDate(start.GetSerialDays(), year, month, day);
    char text[48];
    if (m_folderMode == kFolderPerMonth) {
        std::snprintf(text, sizeof text, "%04d-%02d\\", year, month);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02d\\%04d-%02d-%02d\\", year, month, year, month,
                      day);
    }
    return CKSTString(text);
}

CKSTString CKSTFileSet::MakeFilePath(int32_t type, const CKSTTimeStamp& nominalStart,
                                     double fileSeconds, const CKSTString& name) const
{
    CKSTString fileName = nominalStart.FormatCompact();
    if (m_keepName != 0) {
        const CKSTString kept = name.SlashesToBackslashes().FileName().StripExtension();
        if (!kept.IsEmpty()) {
            // Periods of a fixed duration keep their start in front, so that each has a name
            // of its own and the archive still finds it.
            fileName = fileSeconds > 0.0 ? fileName + "_" + kept : kept;
        }
    }
    return m_baseFolder.AsDirectory() + GetSubfolder(nominalStart) + fileName +
           GetFileExtension(type);
}

CKSTString CKSTFileSet::GetFilePath(int index) const
{
    return index >= 0 && index < GetFileCount() ? m_files[index].path : CKSTString();
}

CKSTTimeStamp CKSTFileSet::GetFileStart(int index) const
{
    return index >= 0 && index < GetFileCount() ? m_files[index].start : CKSTTimeStamp();
}

// --- Searching ---

bool CKSTFileSet::ScanFiles(int32_t type, uint32_t depth)
{
    m_files.clear();
    m_scanner.Scan(m_baseFolder, GetSearchPattern(type), depth, false, true);
    const bool any = m_scanner.GetCount() > 0;
    for (int i = m_scanner.GetCount() - 1; i >= 0; --i) {
        const CKSTFileEntry* entry = m_scanner.GetEntry(i);
        CKSTTimeStamp start;
        if (entry->IsFolder() || !ParseFileNameTime(entry->GetName(), start)) {
            m_scanner.RemoveEntry(i);
            continue;
        }
        m_files.push_back({entry->GetPath(), start});
    }
    m_scanner.Sort();
    // By the time the names carry, not by the names: prefixes and subfolders would disorder
    // them.
    std::stable_sort(m_files.begin(), m_files.end(),
                     [](const ArchiveFile& a, const ArchiveFile& b) {
                         if (a.start != b.start) {
                             return a.start < b.start;
                         }
                         return PathKey(a.path) < PathKey(b.path);
                     });
    return any;
}

void CKSTFileSet::KeepWindow(const CKSTTimeStamp& from, const CKSTTimeStamp& to)
{
    size_t begin = 0;
    for (size_t k = 0; k < m_files.size(); ++k) {
        if (m_files[k].start <= from) {
            begin = k;
        }
    }
    size_t end = m_files.size();
    for (size_t k = begin; k < m_files.size(); ++k) {
        if (m_files[k].start > to) {
            end = k;
            break;
        }
    }
    m_files.erase(m_files.begin() + static_cast<std::ptrdiff_t>(end), m_files.end());
    m_files.erase(m_files.begin(), m_files.begin() + static_cast<std::ptrdiff_t>(begin));

    std::set<std::string> kept;
    for (const ArchiveFile& file : m_files) {
        kept.insert(PathKey(file.path).c_str());
    }
    for (int i = m_scanner.GetCount() - 1; i >= 0; --i) {
        if (kept.count(PathKey(m_scanner.GetEntry(i)->GetPath()).c_str()) == 0) {
            m_scanner.RemoveEntry(i);
        }
    }
}

int CKSTFileSet::SearchFiles(int32_t type, const CKSTTimeStamp& from, const CKSTTimeStamp& to,
                             bool recursive)
{
    return KstGuarded([&] {
        ScanFiles(type, recursive ? kRecursiveSearchDepth : 0);
        KeepWindow(from, to);
        return KST_OK;
    });
}

int CKSTFileSet::GetArchiveTimeRange(int32_t type, CKSTTimeStamp& first, CKSTTimeStamp& last,
                                     double& interval, bool recursive)
{
    first = CKSTTimeStamp(kLatestDay);
    last = CKSTTimeStamp();
    interval = 0.0;
    return KstGuarded([&] {
        if (!ScanFiles(type, recursive ? kRecursiveSearchDepth : 0)) {
            return static_cast<int>(KST_ERR_BAD_HEADER);
        }
        for (const ArchiveFile& file : m_files) {
            if (file.start < first) {
                first = file.start;
            }
            if (file.start > last) {
                last = file.start;
            }
        }
        // Distances with their counts, in the order first met; the first of the most frequent
        // wins.
        std::vector<std::pair<double, int>> distances;
        for (size_t k = 1; k < m_files.size(); ++k) {
            const double d = (m_files[k].start - m_files[k - 1].start).GetSeconds();
            auto same = std::find_if(distances.begin(), distances.end(), [d](const auto& e) {
                return std::fabs(e.first - d) <= 1e-12;
            });
            if (same != distances.end()) {
                ++same->second;
            } else {
                distances.emplace_back(d, 1);
            }
        }
        int best = 0;
        for (const auto& entry : distances) {
            if (entry.second > best) {
                best = entry.second;
                interval = entry.first;
            }
        }
        return static_cast<int>(KST_OK);
    });
}

// --- Loading ---

uint32_t CKSTFileSet::GetLoadDepth() const
{
    if (m_folderMode == kFolderPerMonth) {
        return 1;
    }
    return m_folderMode == kFolderPerMonthDay ? 2 : 0;
}

int CKSTFileSet::LoadWindowFiles(int32_t type, const CKSTTimeStamp& from, const CKSTTimeStamp& to,
                                 CKSTDataSet& dataSet, bool append)
{
    return KstGuarded([&] { return LoadWindow(type, from, to, dataSet, append, nullptr); });
}

int CKSTFileSet::LoadWindow(int32_t type, const CKSTTimeStamp& from, const CKSTTimeStamp& to,
                            CKSTDataSet& dataSet, bool append, LoadReport* report)
{
    if (!ScanFiles(type, GetLoadDepth())) {
        return KST_OK;
    }
    if (!append) {
        dataSet.Clear(false);
    }
    KeepWindow(from, to);
    int result = KST_OK;
    for (const ArchiveFile& file : m_files) {
        CKSTDataSet part;
        const int read = ReadArchiveFile(file.path, part);
        if (DataWereRead(read)) {
            dataSet.MergeChannels(part, false);
            if (report != nullptr) {
                report->read.push_back(
                    {PathKey(file.path), part.GetStartTimeStamp(), part.GetEndTimeStamp()});
            }
        }
        if (IsReadError(read)) {
            result = read;
            if (report != nullptr) {
                report->failed.push_back({PathKey(file.path), read});
            }
        }
    }
    return result;
}

// --- Exporting ---

int CKSTFileSet::ExportTimeWindow(int32_t type, double fileSeconds, const CKSTDataSet& dataSet,
                                  const CKSTTextFormat* textSettings)
{
    return KstGuarded([&] {
        if (dataSet.GetChannels().GetMaxSampleCount() == 0) {
            return static_cast<int>(KST_OK);
        }
        // The first second is cut off, not rounded: a sample in the second half of the second
        // before a period's start belongs to the period before it.
        const CKSTTimeStamp start = dataSet.GetStartTimeStamp();
        const CKSTTimeStamp first(start.GetSerialDays(), 0.0);
        CKSTTimeStamp last = dataSet.GetEndTimeStamp();
        last.RoundToSecond();
        LoadReport report;
        if (!(fileSeconds > 0.0)) {
            return WriteWindowFiles(type, 0.0, dataSet, dataSet.GetName(), first, last,
                                    textSettings, report);
        }
        // Files are named to the second: shorter periods would share names.
        const double seconds = std::max(1.0, std::round(fileSeconds));
        CKSTDataSet merged;
        // A file that fails to load is named in the report, and its window is not rewritten.
        static_cast<void>(LoadWindow(type, first, last, merged, false, &report));
        merged.MergeChannels(dataSet, false);
        return WriteWindowFiles(type, seconds, merged, dataSet.GetName(), first, last, textSettings,
                                report);
    });
}

int CKSTFileSet::WriteWindowFiles(int32_t type, double fileSeconds, const CKSTDataSet& source,
                                  const CKSTString& name, const CKSTTimeStamp& first,
                                  const CKSTTimeStamp& last, const CKSTTextFormat* textSettings,
                                  LoadReport& report)
{
    const bool periods = fileSeconds > 0.0;
    int deferred = KST_OK;
    CKSTTimeStamp t = first;
    while (t <= last) {
        CKSTTimeStamp nominal = t;
        double length = 0.0;
        if (periods) {
            const double q = t.GetSecondsOfDay() / fileSeconds;
            const double offset = std::round((q - std::floor(q)) * fileSeconds);
            nominal = t - offset;
            length = std::round(fileSeconds - offset);
            if (length <= 0.0) {
                length = fileSeconds;
            }
        }
        const CKSTString path = MakeFilePath(type, nominal, fileSeconds, name);
        const CKSTString key = PathKey(path);

        // What the file of this period holds already must survive its rewrite.
        int blocked = KST_OK;
        for (const LoadReport::Failed& failed : report.failed) {
            if (failed.key == key) {
                blocked = failed.error;
            }
        }
        const LoadReport::Read* previous = nullptr;
        for (const LoadReport::Read& read : report.read) {
            if (read.key == key) {
                previous = &read;
            }
        }
        CKSTDataSet unlisted;
        bool haveUnlisted = false;
        if (periods && blocked == KST_OK && previous == nullptr && IsExistingFile(path)) {
            // The window did not cover it (another file started between it and the data).
            const int read = ReadArchiveFile(path, unlisted);
            if (!IsReadError(read)) {
                report.read.push_back(
                    {key, unlisted.GetStartTimeStamp(), unlisted.GetEndTimeStamp()});
                previous = &report.read.back();
                haveUnlisted = true;
            } else {
                blocked = read;
            }
        }

        CKSTDataSet part;
        part = source;
        if (periods) {
            CKSTTimeStamp from = nominal;
            CKSTTimeStamp to = nominal + fileSeconds;
            if (previous != nullptr) {
                from = std::min(from, previous->first);
                to = std::max(to, source.GetNextSampleTimeStamp(previous->last));
            }
            part.CutBetweenTimeStamps(from, to, false);
        }
        if (haveUnlisted) {
            // The new samples win where both hold one.
            unlisted.MergeChannels(part, false);
            part = unlisted;
        }
        part.GetChannels().RemoveEmpty();
        if (part.GetChannels().GetCount() > 0) {
            if (blocked != KST_OK) {
                if (deferred == KST_OK) {
                    deferred = blocked;
                }
            } else {
                if (periods) {
                    RoundStartStamps(part.GetChannels());
                }
                part.GetChannels().FinishAll();
                CreateFolderPath(path.Directory());
                const int written = WriteArchiveFile(path, type, part, textSettings);
                if (written != KST_OK) {
                    return written;
                }
            }
        }
        if (!periods) {
            break;
        }
        t.AddSeconds(length);
    }
    return deferred;
}
