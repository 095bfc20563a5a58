#include "game/TableFile.h"

#include "highscore/HiScoreFile.h"
#include "startup/FilePlaces.h"
#include "startup/Globals.h"

std::optional<Game::ScoreTable> TableFile::load()
{
    const QString path = Commands::HiScoreFile;
    std::optional<AppModul::HiScoreTable> stored;
    if (Commands::FileExists(path))
        stored = AppModul::readHiScoreFile(path);
    else
        stored = AppModul::defaultTable();
    if (!stored)
        return std::nullopt;
    Game::ScoreTable table;
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = {(*stored)[i].PlayerName.toStdString(), (*stored)[i].Points};
    return table;
}

bool TableFile::save(const Game::ScoreTable& table)
{
    AppModul::HiScoreTable entries;
    for (std::size_t i = 0; i < table.size(); ++i)
        entries[i] = {QString::fromStdString(table[i].name), table[i].points};
    if (!AppModul::writeHiScoreFile(Commands::HiScoreFile, entries))
        return false;
    // Every record passes through the buffer on its way to the file.
    AppModul::HiScoreRec = entries.back();
    return true;
}
