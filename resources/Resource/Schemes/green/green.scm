/* A green set of tree pictures, for the icon tree and the script tree.
   The pictures lie in img/ beside this file, in the order the trees use
   them: a page, an open folder, a closed folder, the closed and the open
   toggle. */
Type = 1
Pict = "green0.gif"
Pict = "green1.gif"
Pict = "green2.gif"
Pict = "green3.gif"
Pict = "green4.gif"
