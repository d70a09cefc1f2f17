#pragma once
// The questions a burn puts to the operator while it runs on the download thread. The
// window layer asks them on the UI thread; tests answer them.
#include <stop_token>
#include <string>

class DiscBurnPrompts {
  public:
    virtual ~DiscBurnPrompts() = default;
    // The file an image is written to, chosen in a save dialog that starts at `suggested`
    // and offers `filter` ("Name (*.x)|*.x|..." pairs) and asks before replacing a file.
    // Empty when the operator cancels or `stop` is requested first.
    virtual std::string AskImageFile(const std::string& suggested, const std::string& filter,
                                     std::stop_token stop) = 0;
};

// Asks on the UI thread with a file dialog; a worker's wait ends on its stop.
class QtDiscBurnPrompts final : public DiscBurnPrompts {
  public:
    std::string AskImageFile(const std::string& suggested, const std::string& filter,
                             std::stop_token stop) override;
};
