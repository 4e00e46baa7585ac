#include "themes/skin_toolpals.h"

#include <algorithm>
#include <cstdio>

#include "themes/skin_utils.h"

namespace movra::skin {
namespace {

struct NamedCell {
  const char* name;
  uint32_t rgb;  // written as #RRGGBB
};

constexpr int kDefaultColumns = 8;
constexpr int kDefaultRows = 5;

constexpr NamedCell kDefaultCells[kDefaultRows][kDefaultColumns] = {
    {{"Black", 0x000000}, {"Brown", 0x993300}, {"Olive Green", 0x333300}, {"Dark Green", 0x003300},
     {"Dark Teal", 0x003366}, {"Dark blue", 0x000080}, {"Indigo", 0x333399}, {"Gray-80%", 0x333333}},
    {{"Dark Red", 0x800000}, {"Orange", 0xFF6600}, {"Dark Yellow", 0x808000}, {"Green", 0x008000},
     {"Teal", 0x008080}, {"Blue", 0x0000FF}, {"Blue-Gray", 0x666699}, {"Gray-50%", 0x808080}},
    {{"Red", 0xFF0000}, {"Light Orange", 0xFF9900}, {"Lime", 0x99CC00}, {"Sea Green", 0x339966},
     {"Aqua", 0x33CCCC}, {"Light Blue", 0x3366FF}, {"Violet", 0x800080}, {"Gray-40%", 0x969696}},
    {{"Pink", 0xFF00FF}, {"Gold", 0xFFCC00}, {"Yellow", 0xFFFF00}, {"Bright Green", 0x00FF00},
     {"Turquoise", 0x00FFFF}, {"Sky Blue", 0x00CCFF}, {"Plum", 0x993366}, {"Gray-25%", 0xC0C0C0}},
    {{"Rose", 0xFF99CC}, {"Tan", 0xFFCC99}, {"Light Yellow", 0xFFFF99}, {"Light Green", 0xCCFFCC},
     {"Light Turquoise", 0xCCFFFF}, {"Pale Blue", 0x99CCFF}, {"Lavender", 0xCC99FF}, {"White", 0xFFFFFF}},
};

TSkinDefaultColorSet* defaultSet = nullptr;

// The RGB value a colour shows as: system colours (any negative value) by their index.
uint32_t ShownRgb(TColor color) { return ResolveColor(color) & 0xFFFFFF; }

std::string HexText(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  return text;
}

}  // namespace

TSkinCustomColorSet::TSkinCustomColorSet(ui::TComponent* owner) : ui::TComponent(owner) {}

void TSkinCustomColorSet::AddClient(TSkinColorSetClient* client) {
  if (client && std::find(clients_.begin(), clients_.end(), client) == clients_.end()) clients_.push_back(client);
}

void TSkinCustomColorSet::RemoveClient(TSkinColorSetClient* client) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void TSkinCustomColorSet::SetSizes(int columns, int rows) {
  colCount_ = columns;
  rowCount_ = rows;
  for (TSkinColorSetClient* client : std::vector<TSkinColorSetClient*>(clients_))
    client->ColorSetSizeChanged(columns, rows);
}

std::string TSkinCustomColorSet::ColorToString(TColor color) {
  if (color == ui::clNone) return "None";
  const uint32_t wanted = ShownRgb(color);
  for (int row = 0; row < rowCount_; ++row) {
    for (int column = 0; column < colCount_; ++column) {
      std::string cellName;
      TColor cellColor = ui::clNone;
      GetColorInfo(column, row, cellName, cellColor);
      if (cellColor == ui::clNone || ShownRgb(cellColor) != wanted) continue;
      return cellName.empty() ? HexText(wanted) : cellName;
    }
  }
  return HexText(wanted);
}

void TSkinCustomColorSet::GetColorInfo(int column, int row, std::string& name, TColor& color) {
  name.clear();
  color = ui::clNone;
  if (OnGetColorInfo) OnGetColorInfo(this, column, row, name, color);
}

TSkinDefaultColorSet::TSkinDefaultColorSet(ui::TComponent* owner) : TSkinCustomColorSet(owner) {
  SetSizes(kDefaultColumns, kDefaultRows);
}

void TSkinDefaultColorSet::GetColorInfo(int column, int row, std::string& name, TColor& color) {
  if (column < 0 || column >= kDefaultColumns || row < 0 || row >= kDefaultRows) {
    TSkinCustomColorSet::GetColorInfo(column, row, name, color);
    return;
  }
  const NamedCell& cell = kDefaultCells[row][column];
  name = cell.name;
  color = static_cast<TColor>(SwapRedBlue(cell.rgb));
}

TSkinDefaultColorSet* DefaultColorSet() { return defaultSet; }

void SkinToolPalsStart() {
  if (!defaultSet) defaultSet = new TSkinDefaultColorSet(nullptr);
}

void SkinToolPalsEnd() {
  if (!defaultSet) return;
  ui::TComponentDeleter{}(defaultSet);
  defaultSet = nullptr;
}

}  // namespace movra::skin
