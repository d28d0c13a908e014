/* tree0.js: opens and closes the branches of a script tree site map in
 * browsers with a document object model.
 *
 * The page lays the tree out as a flat run of DIVs between the markers
 * SXR__0 and SXR<n>: a branch heading "I<level>SXE<index>ZSXP", a group of
 * leaves "I<parent level>SXE<parent index>ZSXC" (one level below its parent)
 * or, at the top, "SXR<index>". Ids repeat between branches of the same
 * level, so the tree is rebuilt from the order and the levels of the DIVs,
 * never looked up by id alone.
 *
 * The page sets showLevel (branches above this level start open), imf (the
 * picture folder), bOpenIcon (show open branches with the open pictures) and
 * nDays (how many days the open branches are remembered). The state is kept
 * in a cookie and, for pages opened from disk where browsers keep no
 * cookies, in localStorage.
 */

var sxNodes = null;

function sxLevelOf(id) {
  var match = /^I(\d+)SXE\d+Z(SXP|SXC)$/.exec(id);
  if (match) return parseInt(match[1], 10) + (match[2] == "SXC" ? 1 : 0);
  return /^SXR/.test(id) ? 0 : -1;
}

/* The picture that stands for the other state: the same file name with the
 * digit before the extension changed, as the tree pictures are numbered
 * (the closed toggle 3 and the open 4; the closed folder 2 and the open 1).
 * A scheme whose pictures are named otherwise keeps its closed pictures. */
function sxOtherPicture(src, from, to) {
  var match = /^(.*\D)(\d)(\.\w+)$/.exec(src);
  if (!match || match[2] != String(from)) return null;
  return match[1] + to + match[3];
}

function sxPictures(div) {
  var pictures = {toggle: null, folder: null};
  var images = div.getElementsByTagName("IMG");
  for (var i = 0; i < images.length; i++) {
    var name = images[i].getAttribute("name") || "";
    if (name.indexOf("MI") == 0) pictures.toggle = images[i];
    if (name.indexOf("NI") == 0) pictures.folder = images[i];
  }
  return pictures;
}

function sxCollect() {
  var divs = document.getElementsByTagName("DIV");
  var nodes = [];
  var headings = [];  // the last branch heading seen at each level
  for (var i = 0; i < divs.length; i++) {
    var level = sxLevelOf(divs[i].id);
    if (level < 0) continue;
    var node = {div: divs[i], level: level, branch: /SXP$/.test(divs[i].id),
                open: false, parent: level > 0 ? headings[level - 1] || null : null};
    if (node.branch) {
      headings[level] = node;
      headings.length = level + 1;
      var pictures = sxPictures(divs[i]);
      node.toggle = pictures.toggle;
      node.folder = pictures.folder;
      // The pictures as the page names them, relative to it.
      if (node.toggle) {
        node.closedToggle = node.toggle.getAttribute("src");
        node.openToggle = sxOtherPicture(node.closedToggle, 3, 4) || node.closedToggle;
      }
      if (node.folder) {
        node.closedFolder = node.folder.getAttribute("src");
        node.openFolder = sxOtherPicture(node.closedFolder, 2, 1);
      }
    }
    nodes.push(node);
  }
  return nodes;
}

function sxShowPictures(node) {
  var open = node.open && bOpenIcon;
  if (node.toggle) node.toggle.setAttribute("src", open ? node.openToggle : node.closedToggle);
  if (node.folder && node.openFolder) {
    node.folder.setAttribute("src", open ? node.openFolder : node.closedFolder);
  }
}

/* Parents come before their children, so one pass in page order does. */
function sxShow() {
  for (var i = 0; i < sxNodes.length; i++) {
    var node = sxNodes[i];
    node.visible = !node.parent || (node.parent.visible && node.parent.open);
    node.div.style.display = node.visible ? "" : "none";
    if (node.branch) sxShowPictures(node);
  }
}

function sxBranches() {
  var branches = [];
  for (var i = 0; i < sxNodes.length; i++) {
    if (sxNodes[i].branch) branches.push(sxNodes[i]);
  }
  return branches;
}

/* The state: the number of branches, ":" and one bit per branch (1 open)
 * in hexadecimal, four branches a digit. */
function sxEncode(branches) {
  var text = branches.length + ":";
  for (var i = 0; i < branches.length; i += 4) {
    var digit = 0;
    for (var bit = 0; bit < 4 && i + bit < branches.length; bit++) {
      if (branches[i + bit].open) digit |= 1 << bit;
    }
    text += digit.toString(16);
  }
  return text;
}

function sxDecode(text, branches) {
  var parts = /^(\d+):([0-9a-f]*)$/.exec(text || "");
  if (!parts || parseInt(parts[1], 10) != branches.length) return false;
  for (var i = 0; i < branches.length; i++) {
    var digit = parseInt(parts[2].charAt(i >> 2) || "0", 16);
    branches[i].open = (digit & (1 << (i & 3))) != 0;
  }
  return true;
}

function sxStateName() {
  return "SXTree" + location.pathname.replace(/[^A-Za-z0-9]/g, "_");
}

function sxStoredState() {
  var name = sxStateName() + "=";
  var cookies = document.cookie ? document.cookie.split("; ") : [];
  for (var i = 0; i < cookies.length; i++) {
    if (cookies[i].indexOf(name) == 0) return unescape(cookies[i].substring(name.length));
  }
  try {
    var kept = JSON.parse(window.localStorage.getItem(sxStateName()) || "null");
    if (kept && kept.until > new Date().getTime()) return kept.state;
  } catch (e) {
    // No storage (a private window, say): the tree starts as the page says.
  }
  return null;
}

function saveCookie() {
  if (!sxNodes) return;
  var state = sxEncode(sxBranches());
  var until = new Date(new Date().getTime() + nDays * 24 * 60 * 60 * 1000);
  document.cookie = sxStateName() + "=" + escape(state) + "; expires=" + until.toUTCString();
  try {
    window.localStorage.setItem(sxStateName(),
                                JSON.stringify({state: state, until: until.getTime()}));
  } catch (e) {
    // The cookie alone has to do.
  }
}

function initialize() {
  sxNodes = sxCollect();
  var branches = sxBranches();
  if (!sxDecode(sxStoredState(), branches)) {
    for (var i = 0; i < branches.length; i++) branches[i].open = branches[i].level < showLevel;
  }
  sxShow();
}

/* The branch whose toggle was clicked: the DIV around the clicked picture
 * when the browser says which it was, else the first with the key's id. */
function sxClickedBranch(key) {
  var target = window.event ? window.event.target || window.event.srcElement : null;
  while (target && target.tagName != "DIV") target = target.parentNode;
  for (var i = 0; i < sxNodes.length; i++) {
    if (sxNodes[i].branch && sxNodes[i].div == target) return sxNodes[i];
  }
  for (var j = 0; j < sxNodes.length; j++) {
    if (sxNodes[j].div.id == key + "SXP") return sxNodes[j];
  }
  return null;
}

function onClicked(key) {
  if (!sxNodes) initialize();
  var branch = sxClickedBranch(key);
  if (!branch) return;
  branch.open = !branch.open;
  sxShow();
  saveCookie();
}

function sxOpenAll(open) {
  if (!sxNodes) initialize();
  var branches = sxBranches();
  for (var i = 0; i < branches.length; i++) branches[i].open = open;
  sxShow();
  saveCookie();
}

function onExpandAll() {
  sxOpenAll(true);
}

function onCollapseAll() {
  sxOpenAll(false);
}

/* Layers belong to the oldest browsers (tree4.js); here there are none. */
function getIndexNS(el) {
  var layers = document.layers || [];
  for (var i = 0; i < layers.length; i++) {
    if (layers[i] == el) return i;
  }
  return -1;
}

function setPosition() {}
