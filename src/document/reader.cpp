#include "document/reader.h"

#include "document/line_syntax.h"
#include "files/file_reasons.h"

#include <new>

namespace modMain {
namespace {

ReadResult failure(const QString& reason)
{
    return {std::nullopt, reason, {}};
}

QString lineReason(std::size_t lineNumber, const QString& reason)
{
    return QStringLiteral("Linha %1: %2").arg(lineNumber).arg(reason);
}

ReadResult lineFailure(std::size_t lineNumber, const QString& reason)
{
    return failure(lineReason(lineNumber, reason));
}

ReadResult parseLines(FileBytes bytes)
{
    const std::string_view text(bytes.data.get(), bytes.size);
    Document document(std::move(bytes));

    // The entries of the group being read; they move into it in one step when
    // the group ends, so each group's arrays are allocated once, at their size.
    std::vector<TextRef> names;
    std::vector<TextRef> values;
    const auto closeGroup = [&] {
        if (document.Groups.empty())
            return;
        GroupRecord& group = document.Groups.back();
        if (!names.empty()) {
            const std::uint32_t first = names.front().start;
            group.entryLines = {first, values.back().start + values.back().size - first};
        }
        group.Names.assign(names.begin(), names.end());
        group.Values.assign(values.begin(), values.end());
        group.EntryAlive = std::vector<bool>(names.size(), true);
        names.clear();
        values.clear();
    };

    ConfigLines lines(text);
    ConfigLine line;
    for (std::size_t lineNumber = 1; lines.next(line); ++lineNumber) {
        switch (line.kind) {
        case LineKind::Empty:
            break;
        case LineKind::Header:
            if (document.Groups.size() == kMaxSlots)
                return lineFailure(lineNumber, QStringLiteral("o arquivo tem mais de %1 grupos.").arg(kMaxSlots));
            closeGroup();
            document.Groups.emplace_back().Header = document.fileText(line.text);
            break;
        case LineKind::Entry:
            if (document.Groups.empty())
                return lineFailure(lineNumber, QStringLiteral("parâmetro antes do primeiro grupo."));
            if (names.size() == kMaxSlots)
                return lineFailure(lineNumber, QStringLiteral("o grupo tem mais de %1 parâmetros.").arg(kMaxSlots));
            names.push_back(document.fileText(line.name));
            values.push_back(document.fileText(line.value));
            break;
        case LineKind::Other:
            return failure(unreadableLineReason(lineNumber));
        }
    }
    closeGroup();
    return {std::move(document), {}, {}};
}

}  // namespace

QString unreadableLineReason(std::size_t lineNumber)
{
    return lineReason(lineNumber, QStringLiteral("a linha não é um grupo nem tem \"=\"."));
}

ReadResult parseDocument(FileBytes bytes)
{
    if (bytes.size > Document::kMaxFileSize)
        return failure(files::tooLargeReason(Document::kMaxFileSize));
    // Some text editors mark UTF-8 so; the simulator never writes it, and would read it as part of the first line.
    if (std::string_view(bytes.data.get(), bytes.size).starts_with("\xEF\xBB\xBF"))
        return failure(QStringLiteral("O arquivo começa com a marca de UTF-8 (BOM), que o simulador não grava. "
                                      "Salve-o como ANSI (Windows-1252) e abra-o de novo."));
    try {
        return parseLines(std::move(bytes));
    } catch (const std::bad_alloc&) {
        return failure(files::outOfMemoryReason());
    }
}

ReadResult readDocument(const QString& path, const files::WhileWaiting& whileWaiting)
{
    files::FileContent content = files::readRegularFile(path, Document::kMaxFileSize, whileWaiting);
    if (!content.bytes)
        return failure(content.error);
    ReadResult result = parseDocument(std::move(*content.bytes));
    result.record = std::move(content.record);
    return result;
}

}  // namespace modMain
