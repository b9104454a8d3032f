// What every web page of the tool shares: the head with its security policy and the one style block.
#include "web/pageshell.h"

#include "support/markup.h"
#include "web/page/pageassets.h"

namespace tracewell {

std::string pagehead(std::string_view title, std::string_view scripthash, std::string_view imagesources) {
  std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  out += "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; script-src '";
  out += scripthash;
  out += "'; style-src '";
  out += pageassets::viewercsshash;
  out += "'; img-src ";
  out += imagesources.empty() ? std::string_view("'none'") : imagesources;
  // Trusted Types with no policy: no script of the page may build markup from a string, so a name could
  // never become an element even through a fault in the viewer.
  out +=
      "; base-uri 'none'; form-action 'none'; require-trusted-types-for 'script'; trusted-types 'none'\">\n";
  out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  appendmarkup(out, title);
  out += "</title>\n<style>";
  out += pageassets::viewercss;
  out += "</style>\n</head>\n<body>\n";
  return out;
}

std::string pagetail(std::string_view script) {
  std::string out = "<script>";
  out += script;
  out += "</script>\n</body>\n</html>\n";
  return out;
}

}  // namespace tracewell
