#include "help.h"

#include "settings.h"

namespace vellumark {
namespace {

struct CommandText {
  const char* name;
  const char* text;
};

const CommandText kCommands[] = {
    {"new",
     "usage: vellumark new PROJECT [--force]\n"
     "\n"
     "Creates a project file with an empty site map and the default settings.\n"
     "An existing file is kept unless --force is given.\n"},
    {"show",
     "usage: vellumark show PROJECT [--settings]\n"
     "\n"
     "Prints the site map tree, one line per entry, depth first: two spaces per\n"
     "level, the link name, a tab and the URL. Names and URLs are printed with\n"
     "their control characters and backslashes escaped (see 'vellumark help'), so\n"
     "a tab inside one is written \\t and every entry stays on one line. With\n"
     "--settings, prints the site map's settings as 'key = value' lines and the\n"
     "upload targets.\n"},
    {"scan",
     "usage: vellumark scan PROJECT --base PAGE_OR_URL [--meta] [--keep-bookmarks]\n"
     "                      [--keep-arguments] [--other-sites ignore|add|follow]\n"
     "                      [SITE OPTIONS] [CRAWL OPTIONS] [--quiet]\n"
     "       vellumark scan PROJECT --folder DIR [--meta] [SITE OPTIONS] [--quiet]\n"
     "       vellumark scan PROJECT --update [--dry-run] [--trust-sitemap]\n"
     "                      [SITE OPTIONS] [CRAWL OPTIONS] [--quiet]\n"
     "\n"
     "Replaces the site map tree with what a scan finds, then saves the project.\n"
     "  --base PAGE_OR_URL  follow the links from this page (a file or an http:// address)\n"
     "  --folder DIR        take the page files of this folder and its sub-folders\n"
     "  --meta              name each entry by its META description instead of its TITLE\n"
     "                      (an entry without one is named by its title, then by its\n"
     "                      file name)\n"
     "  --keep-bookmarks    keep the '#name' part of links (cut by default)\n"
     "  --keep-arguments    keep the '?arguments' part of links (cut by default)\n"
     "  --other-sites       pages of other web sites: ignore them (default), add them,\n"
     "                      or add them and follow their links\n"
     "  --quiet             show no progress line (one is shown on standard error when\n"
     "                      it is a terminal: pages read, queued and failed, pages a\n"
     "                      second, the page)\n"
     "\n"
     "Site options, kept with the project for later scans:\n"
     "  --page-limit N      read at most N pages (0: the default, 100000)\n"
     "  --depth-limit N     follow links at most N steps from the base page (0: any)\n"
     "  --include PATTERNS  take only pages whose address matches a pattern\n"
     "  --exclude PATTERNS  leave out pages whose address matches a pattern\n"
     "                      (patterns separated by ';', '*' any run, '?' one character,\n"
     "                      matched against the whole address or path; \"\" clears)\n"
     "  --order ORDER       name (link names by their bytes, the default), natural\n"
     "                      (numbers by value, letters without case) or found (the\n"
     "                      order the scan met the pages in)\n"
     "\n"
     "Crawl options, for this run (web sites):\n"
     "  --connections N     connections to one server at once (default 4)\n"
     "  --delay MS          pause between two requests to one server (default 0; a\n"
     "                      longer Crawl-delay of the site's robots.txt wins, up\n"
     "                      to 30 s)\n"
     "  --page-seconds N    give up a page after N seconds (default 60)\n"
     "  --ignore-robots     do not honour robots.txt (agent \"Vellumark\"), META robots\n"
     "                      noindex/nofollow and rel=\"nofollow\"; honoured by default.\n"
     "                      A server whose robots.txt fails (5xx) or does not answer\n"
     "                      is asked for no page beyond the base page\n"
     "A web page whose LINK rel=\"canonical\" names another web page of the site is\n"
     "kept under that address; after a redirect a page is kept under its final\n"
     "address; a folder address and its index page are one page. Over HTTP an\n"
     "address without a page extension is a page when the server answers with HTML.\n"
     "On disk a link is an address: \"a%3D.html\" names the file \"a=.html\".\n"
     "\n"
     "Updating: --update scans the site again as the project's last scan did (same\n"
     "base, mode and options) and merges what it finds into the tree as you edited\n"
     "it since, instead of replacing the tree:\n"
     "  - a page found again keeps your link name, place and order; if you never\n"
     "    renamed it and the site changed its title, it takes the new title;\n"
     "  - a new page goes under the entry that holds the page linking it (or at\n"
     "    its place at the top level);\n"
     "  - a page gone from the site is removed, unless you renamed it or added it\n"
     "    by hand: then it stays and is reported;\n"
     "  - entries you added stay; entries you removed stay removed.\n"
     "Pages that did not change are not read again: over HTTP each is asked for\n"
     "with the ETag and Last-Modified of the last scan (a 304 answer reuses its\n"
     "name and links), on disk a file whose size and time did not change is\n"
     "skipped. With --trust-sitemap the site's own XML site maps are read first\n"
     "(those its robots.txt names, else /sitemap.xml; index files followed), and a\n"
     "page they date (<lastmod>) no later than they did at the last update, or\n"
     "before the copy kept was read, is taken from the last scan without any\n"
     "request. Off by default: it is as right as the site's maps are. A page dated\n"
     "by its day alone counts only once that day is over.\n"
     "The changes are printed; --dry-run prints them and changes nothing.\n"
     "A stopped update, or one whose scan cannot start, leaves the project as it\n"
     "was. Example:\n"
     "  vellumark scan site.bpj --base https://www.example.com/   # once\n"
     "  ... rename, move and remove entries (in bramblel) ...\n"
     "  vellumark scan site.bpj --update --dry-run   # what would change\n"
     "  vellumark scan site.bpj --update   # or: --update --trust-sitemap\n"
     "  1 added, 1 removed, 0 renamed on the site, 1 edits kept (12 pages read, 240 unchanged)\n"
     "    added    Winter menu <https://www.example.com/menu/winter.html> under Menu\n"
     "    removed  Old offers <https://www.example.com/offers.html>: gone from the site\n"
     "    kept     Who we are <https://www.example.com/about.html>: your name; the site now\n"
     "             says \"About us\"\n"
     "\n"
     "Links that could not be read are listed at the end, on standard error.\n"
     "Exit status: 0 when every page was read, 3 when the scan ran but some links\n"
     "were broken, 1 when it could not start (the project is then left as it was).\n"
     "Ctrl+C stops the scan: the project is not saved and the exit status is 130.\n"},
    {"generate",
     "usage: vellumark generate PROJECT [--type TYPE] [--output FILE] [--base-path PATH]\n"
     "                          [--allow-outside]\n"
     "\n"
     "Writes the site map page with the project's settings, copies the pictures and\n"
     "scripts it needs beside it, registers the written files for upload and saves\n"
     "the project.\n"
     "  --type TYPE         layout for this run: ul, paged, icontree, scripttree, combo,\n"
     "                      index, table, xml or text (the XML or text site map, below)\n"
     "  --output FILE       page to write for this run, wherever it is\n"
     "  --base-path PATH    with relative-links on, links below PATH's folder are\n"
     "                      written relative to it\n"
     "  --allow-outside     write where the project says even outside its folder\n"
     "\n"
     "Every file is written under a temporary name and all are put in place together\n"
     "once each is whole: after a failure, or Ctrl+C, the files there before stay.\n"
     "As a project file from someone else may name any place on the disk, the pages,\n"
     "pictures and folders it names outside its own folder (and outside the folder\n"
     "of --output) are not written, nor a background picture from there copied,\n"
     "without --allow-outside; the project file and the files it reads (the pages of\n"
     "its tree, its background picture) are never written over.\n"
     "\n"
     "The xml type writes the site map that search engines read (sitemaps.org): the\n"
     "public address of every page of the tree, once, with its time of change when\n"
     "known; other sites' pages and links that lead to no page are left out. Name the\n"
     "output sitemap.xml, or sitemap.xml.gz for a compressed file. Pages scanned from\n"
     "disk are listed at the site's public address, which must be set first:\n"
     "  vellumark set PROJECT site-url=https://www.example.com/\n"
     "A map of more than 50,000 addresses (or 50 MB) is split into sitemap1.xml,\n"
     "sitemap2.xml, ... beside the output, which then lists them as an index. Upload\n"
     "every file to the site's top folder and announce the map to search engines\n"
     "with this line in the site's robots.txt:\n"
     "  Sitemap: https://www.example.com/sitemap.xml\n"
     "The text type writes the same addresses one a line (sitemap.txt); beyond the\n"
     "limits the rest go into sitemap1.txt, ... beside it, each announced alike.\n"
     "\n"
     "Two settings add to each page's entry of the XML map what the scans from then\n"
     "on find on the page (the project keeps it, so scan once after turning them on):\n"
     "  vellumark set PROJECT sitemap-images=on      its pictures on the site's own\n"
     "      host (IMG SRC, at most 1,000 a page), as Google's image:image entries\n"
     "  vellumark set PROJECT sitemap-alternates=on  its language versions, as its\n"
     "      head names them (LINK rel=\"alternate\" hreflang=\"de\" href=...), as\n"
     "      xhtml:link entries\n"
     "\n"
     "With markup=html5 (vellumark set) every layout is written as an HTML5 page\n"
     "for keyboards, screen readers and phones, in the language lang= names.\n"},
    {"upload",
     "usage: vellumark upload PROJECT [--[no-]resources] [--[no-]lowercase]\n"
     "                        [--[no-]skip-unchanged] [--[no-]compress]\n"
     "                        [--allow-outside]\n"
     "\n"
     "Sends the registered files to every upload target and saves the project with\n"
     "what each target received. The switches change the project's stored upload\n"
     "options:\n"
     "  --resources         also send the local pictures and files the pages refer to\n"
     "  --lowercase         send references and file names in lower case\n"
     "  --skip-unchanged    skip files whose content matches the last upload\n"
     "  --compress          send pages compressed\n"
     "A file that lies outside the project's folder (and is not one that this run\n"
     "generated) is not sent, as a project file from someone else may name any file\n"
     "on the disk; --allow-outside sends such files too.\n"},
    {"publish",
     "usage: vellumark publish PROJECT [generate options] [upload options]\n"
     "\n"
     "generate, then upload, then save: what 'Generate Site Map And Upload' does.\n"
     "The files the generation wrote are sent unasked, wherever --output put them;\n"
     "--allow-outside lets both steps go outside the project's folder.\n"},
    {"set",
     "usage: vellumark set PROJECT KEY=VALUE...\n"
     "\n"
     "Changes the site map's settings and saves the project. Keys:\n"},
    {"target",
     "usage: vellumark target PROJECT list\n"
     "       vellumark target PROJECT add (--folder DIR | --ftp SERVER[:PORT] |\n"
     "                                     --sftp SERVER | --ftps SERVER) [options]\n"
     "       vellumark target PROJECT edit N [options]\n"
     "       vellumark target PROJECT remove N\n"
     "\n"
     "Lists or changes the upload targets (numbered from 0) and saves the project.\n"
     "  --folder DIR          copy the files into this folder\n"
     "  --ftp SERVER[:PORT]   put the files on this FTP server\n"
     "  --remote-folder DIR   folder on the FTP server\n"
     "  --url URL             the web address of the published files\n"
     "  --login NAME          FTP user (anonymous when not given)\n"
     "  --password TEXT       FTP password\n"
     "  --port N              server port (0: the one in SERVER, else 21; SFTP 22)\n"
     "  --[no-]passive        passive FTP (FTPS always is)\n"
     "  --[no-]text           text (ASCII) transfers instead of binary\n"
     "  --[no-]firewall       connect through the configured FTP firewall\n"
     "  --sftp SERVER         put the files on this server over SSH (port 22); its\n"
     "                        host key must be in ~/.ssh/known_hosts (an unknown one\n"
     "                        is accepted only when a question says yes)\n"
     "  --ftps SERVER         FTP with TLS on both connections (AUTH TLS, port 21);\n"
     "                        the server's certificate is verified\n"
     "  --key FILE            SFTP: log in with this private key (default: ssh-agent\n"
     "                        and the user's keys, then the password)\n"
     "  --ca-file FILE        FTPS: verify the server with these certificates (PEM)\n"
     "                        instead of the system's\n"
     "  --password-from SOURCE  where the password comes from when the target holds\n"
     "                        none: netrc (~/.netrc), keyring (the desktop keyring),\n"
     "                        ask (at upload time, read from the terminal without\n"
     "                        echo, or the next line of standard input when that is\n"
     "                        not a terminal) or project (the target's --password)\n"
     "An empty FILE removes the setting. Passwords are never printed.\n"},
    {"entry",
     "usage: vellumark entry PROJECT add [--name NAME] [--url URL] [PLACE]\n"
     "       vellumark entry PROJECT remove ENTRY\n"
     "       vellumark entry PROJECT rename ENTRY [--name NAME] [--url URL]\n"
     "       vellumark entry PROJECT move ENTRY PLACE\n"
     "\n"
     "Changes the site map tree one entry at a time and saves the project. ENTRY\n"
     "names an entry by its URL, or by its path of link names from the top level\n"
     "separated by '/' (\"News/Spring menu\"; write a '/' inside a name as '\\/').\n"
     "A text that names no entry, or several, changes nothing (exit status 1).\n"
     "  add        a new entry, at the end of the top level unless PLACE says\n"
     "  remove     the entry with every entry below it\n"
     "  rename     a new link name or URL (an empty one clears it)\n"
     "  move       the entry with every entry below it; never into itself\n"
     "PLACE is one of:\n"
     "  --under ENTRY    as the last entry below ENTRY\n"
     "  --after ENTRY    directly after ENTRY, at its level\n"
     "  --before ENTRY   directly before ENTRY, at its level\n"
     "  --top            at the end of the top level\n"},
    {"config",
     "usage: vellumark config [KEY=VALUE...]\n"
     "\n"
     "Shows the engine's settings, or changes them and writes the user's Vellum.cfg.\n"
     "Keys: ExtPage, ExtPicts (';'-separated patterns such as *.htm), Editor,\n"
     "Firewall, PortFW, Passive, Proxy, PortProxy, UseProxy. An empty value clears\n"
     "a text.\n"
     "\n"
     "Settings are read from the installation's BIN/_Vellum.cfg (shipped defaults),\n"
     "then BIN/Vellum.cfg (an administrator's settings for every user, never\n"
     "written), then the user's $XDG_CONFIG_HOME/vellumark/Vellum.cfg (without\n"
     "XDG_CONFIG_HOME, ~/.config/vellumark/Vellum.cfg), the only one written. A\n"
     "Vellum.cfg in the current folder is not read.\n"},
};

std::string SettingKeys() {
  std::string text;
  for (const Setting& setting : Settings()) {
    std::string key = "  " + std::string(setting.key);
    key.resize(26, ' ');
    text += key + std::string(setting.help) + "\n";
  }
  return text;
}

}  // namespace

std::string Usage() {
  return "usage: vellumark COMMAND PROJECT [options]\n"
         "\n"
         "Makes HTML site maps: a project holds a tree of links and the settings of\n"
         "the page to produce.\n"
         "\n"
         "commands:\n"
         "  new       create a project\n"
         "  show      print the site map tree or the settings\n"
         "  scan      fill the tree from a web site or a folder\n"
         "  generate  write the site map page\n"
         "  upload    send the written files to the upload targets\n"
         "  publish   generate, then upload\n"
         "  set       change the site map's settings\n"
         "  target    list or change the upload targets\n"
         "  config    show or change the engine's settings\n"
         "  entry     add, remove, rename or move an entry of the tree\n"
         "\n"
         "'vellumark help COMMAND' explains a command. Paths on the command line are\n"
         "relative to the current folder; paths stored in the project are relative to\n"
         "the project file's folder. Exit status: 0 done, 1 an error was reported,\n"
         "2 the command line was wrong.\n"
         "\n"
         "Text from pages, projects, files and servers is printed with its control\n"
         "characters escaped, so none can move the cursor, recolour the terminal or\n"
         "split a line: a tab, line feed and carriage return as \\t, \\n and \\r, any\n"
         "other C0 or C1 character and DEL as \\x and two hex digits (ESC as \\x1B,\n"
         "U+009B as \\x9B), and a backslash as \\\\.\n";
}

std::string CommandHelp(const std::string& command) {
  for (const CommandText& entry : kCommands) {
    if (command != entry.name) continue;
    std::string text = entry.text;
    if (command == "set") text += SettingKeys();
    return text;
  }
  return {};
}

}  // namespace vellumark
