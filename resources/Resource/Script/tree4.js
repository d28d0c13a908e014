/* tree4.js: opens and closes the branches of a script tree site map in the
 * browsers of the fourth generation, which have no document object model:
 * layers (document.layers, each positioned DIV a layer that is shown or
 * hidden and placed by hand) and document.all (each DIV shown or hidden by
 * its display style).
 *
 * The page lays the tree out as a flat run of DIVs between the markers
 * SXR__0 and SXR<n>: branch headings "I<level>SXE<index>ZSXP", groups of
 * leaves "I<parent level>SXE<parent index>ZSXC" one level below their
 * parent, and top-level groups "SXR<index>". The tree is rebuilt from their
 * order and levels. The page sets showLevel, imf, bOpenIcon and nDays; the
 * open branches are remembered in a cookie for nDays days.
 */

var sxItems = null;

function sxLevel(id) {
  var at = id.indexOf("SXE");
  if (id.charAt(0) == "I" && at > 1) {
    var level = parseInt(id.substring(1, at), 10);
    return id.substring(id.length - 3) == "SXC" ? level + 1 : level;
  }
  return id.substring(0, 3) == "SXR" ? 0 : -1;
}

function sxIsBranch(id) {
  return id.charAt(0) == "I" && id.substring(id.length - 3) == "SXP";
}

/* The DIVs of the tree in page order: layers, or document.all's DIVs. */
function sxElements() {
  var list = [];
  var i;
  if (NS4) {
    for (i = 0; i < document.layers.length; i++) list[list.length] = document.layers[i];
  } else if (IE4) {
    var divs = document.all.tags("DIV");
    for (i = 0; i < divs.length; i++) list[list.length] = divs(i);
  }
  return list;
}

function sxImage(element, prefix) {
  var images = NS4 ? element.document.images : element.all.tags("IMG");
  for (var i = 0; i < images.length; i++) {
    var name = images[i].name || "";
    if (name.substring(0, 2) == prefix) return images[i];
  }
  return null;
}

/* The same picture file with its last digit changed from one number to
 * another, as the tree pictures are numbered (toggle 3 closed, 4 open).
 * Null for pictures named otherwise, which then do not change. */
function sxSwap(src, from, to) {
  var dot = src.lastIndexOf(".");
  if (dot < 1 || src.charAt(dot - 1) != String(from)) return null;
  return src.substring(0, dot - 1) + to + src.substring(dot);
}

function sxCollect() {
  var elements = sxElements();
  var items = [];
  var headings = [];
  for (var i = 0; i < elements.length; i++) {
    var id = elements[i].id || elements[i].name || "";
    var level = sxLevel(id);
    if (level < 0) continue;
    var item = new Object();
    item.element = elements[i];
    item.level = level;
    item.branch = sxIsBranch(id);
    item.open = false;
    item.parent = level > 0 ? headings[level - 1] : null;
    if (item.branch) {
      headings[level] = item;
      for (var deeper = level + 1; deeper < headings.length; deeper++) headings[deeper] = null;
      item.toggle = sxImage(elements[i], "MI");
      if (item.toggle) {
        item.closedToggle = item.toggle.src;
        item.openToggle = sxSwap(item.toggle.src, 3, 4);
        if (!item.openToggle) item.openToggle = item.closedToggle;
      }
    }
    items[items.length] = item;
  }
  return items;
}

function sxShow() {
  for (var i = 0; i < sxItems.length; i++) {
    var item = sxItems[i];
    item.visible = !item.parent || (item.parent.visible && item.parent.open);
    if (NS4) {
      item.element.visibility = item.visible ? "show" : "hide";
    } else {
      item.element.style.display = item.visible ? "" : "none";
    }
    if (item.toggle) {
      item.toggle.src = item.open && bOpenIcon ? item.openToggle : item.closedToggle;
    }
  }
  if (NS4) setPosition();
}

/* Layers are placed by hand: each visible one below the one before. */
function setPosition() {
  if (!NS4 || !sxItems) return;
  var top = document.layers["TP"] ? document.layers["TP"].pageY : 0;
  for (var i = 0; i < sxItems.length; i++) {
    var layer = sxItems[i].element;
    if (!sxItems[i].visible) continue;
    layer.top = top;
    top += layer.clip.height;
  }
}

function getIndexNS(el) {
  for (var i = 0; i < document.layers.length; i++) {
    if (document.layers[i] == el) return i;
  }
  return -1;
}

function sxStateName() {
  var name = "SXTree";
  var path = location.pathname;
  for (var i = 0; i < path.length; i++) {
    var c = path.charAt(i);
    name += (c >= "A" && c <= "Z") || (c >= "a" && c <= "z") || (c >= "0" && c <= "9") ? c : "_";
  }
  return name;
}

/* The state: the number of branches, ":" and a 0 or 1 per branch. */
function saveCookie() {
  if (!sxItems) return;
  var state = "";
  var count = 0;
  for (var i = 0; i < sxItems.length; i++) {
    if (!sxItems[i].branch) continue;
    state += sxItems[i].open ? "1" : "0";
    count++;
  }
  var until = new Date();
  until.setTime(until.getTime() + nDays * 24 * 60 * 60 * 1000);
  document.cookie = sxStateName() + "=" + count + ":" + state + "; expires=" + until.toGMTString();
}

function sxRestore() {
  var name = sxStateName() + "=";
  var cookies = document.cookie;
  var at = cookies.indexOf(name);
  if (at < 0) return false;
  var end = cookies.indexOf(";", at);
  var value = cookies.substring(at + name.length, end < 0 ? cookies.length : end);
  var colon = value.indexOf(":");
  var state = value.substring(colon + 1);
  var branches = 0;
  var i;
  for (i = 0; i < sxItems.length; i++) {
    if (sxItems[i].branch) branches++;
  }
  if (colon < 0 || parseInt(value.substring(0, colon), 10) != branches) return false;
  var k = 0;
  for (i = 0; i < sxItems.length; i++) {
    if (sxItems[i].branch) sxItems[i].open = state.charAt(k++) == "1";
  }
  return true;
}

function initialize() {
  sxItems = sxCollect();
  if (!sxRestore()) {
    for (var i = 0; i < sxItems.length; i++) {
      if (sxItems[i].branch) sxItems[i].open = sxItems[i].level < showLevel;
    }
  }
  sxShow();
}

function onClicked(key) {
  if (!sxItems) initialize();
  var target = IE4 && window.event ? window.event.srcElement : null;
  while (target && target.tagName != "DIV") target = target.parentElement;
  var branch = null;
  for (var i = 0; i < sxItems.length && !branch; i++) {
    if (sxItems[i].branch && sxItems[i].element == target) branch = sxItems[i];
  }
  for (var j = 0; j < sxItems.length && !branch; j++) {
    var id = sxItems[j].element.id || sxItems[j].element.name;
    if (id == key + "SXP") branch = sxItems[j];
  }
  if (!branch) return;
  branch.open = !branch.open;
  sxShow();
  saveCookie();
}

function sxOpenAll(open) {
  if (!sxItems) initialize();
  for (var i = 0; i < sxItems.length; i++) {
    if (sxItems[i].branch) sxItems[i].open = open;
  }
  sxShow();
  saveCookie();
}

function onExpandAll() {
  sxOpenAll(true);
}

function onCollapseAll() {
  sxOpenAll(false);
}
