#pragma once
// Grids of named colours for colour-picking palettes, and the display text of a colour.
#include <string>
#include <vector>

#include "runtime/ui/classes.h"
#include "runtime/ui/graphics.h"

namespace movra::skin {

using ui::TColor;

// A palette that shows a colour set; told when the set's grid changes size.
class TSkinColorSetClient {
 public:
  virtual ~TSkinColorSetClient() = default;
  virtual void ColorSetSizeChanged(int columns, int rows) = 0;
};

using TSkinColorInfoEvent = ui::TDelegate<ui::TObject*, int, int, std::string&, TColor&>;

class TSkinCustomColorSet : public ui::TComponent {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinCustomColorSet", &ui::TComponent::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TSkinCustomColorSet(ui::TComponent* owner);

  int ColCount() const { return colCount_; }
  int RowCount() const { return rowCount_; }
  void AddClient(TSkinColorSetClient* client);
  void RemoveClient(TSkinColorSetClient* client);

  virtual void SetSizes(int columns, int rows);
  // "None" for no colour; the name of the first cell of the same RGB value, or "#RRGGBB".
  virtual std::string ColorToString(TColor color);
  // An empty name and no colour, then the handler when one is set.
  virtual void GetColorInfo(int column, int row, std::string& name, TColor& color);
  TSkinColorInfoEvent OnGetColorInfo;

 private:
  std::vector<TSkinColorSetClient*> clients_;
  int colCount_ = 0;
  int rowCount_ = 0;
};

// Forty named colours in 8 columns and 5 rows.
class TSkinDefaultColorSet : public TSkinCustomColorSet {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinDefaultColorSet", &TSkinCustomColorSet::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TSkinDefaultColorSet(ui::TComponent* owner);
  void GetColorInfo(int column, int row, std::string& name, TColor& color) override;
};

// The process's default colour set (nullptr outside the start and end calls).
TSkinDefaultColorSet* DefaultColorSet();
void SkinToolPalsStart();
void SkinToolPalsEnd();

}  // namespace movra::skin
