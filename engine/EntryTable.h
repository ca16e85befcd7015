#pragma once
// The salvaged entries of the file being repaired: one record per kept local
// header, in the order the headers occur in the file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SalvagedEntry
{
    std::u16string timeText;         // from FormatEntryTime; empty for an impossible date
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::u16string name;             // widened byte by byte, "/" turned into "\"
    std::uint64_t dataOffset = 0;    // first byte after the header's name and extra field
};

// Owns its records; clearing releases them. Two rows may carry the same name.
class EntryTable
{
public:
    void Clear() { m_rows.clear(); }
    std::size_t Count() const { return m_rows.size(); }
    void Append(std::u16string name, std::unique_ptr<SalvagedEntry> record)
    {
        m_rows.push_back(Row{std::move(name), std::move(record)});
    }
    const std::u16string& Name(std::size_t i) const { return m_rows.at(i).name; }
    const SalvagedEntry& Record(std::size_t i) const { return *m_rows.at(i).record; }

private:
    struct Row
    {
        std::u16string name;
        std::unique_ptr<SalvagedEntry> record;
    };
    std::vector<Row> m_rows;
};
